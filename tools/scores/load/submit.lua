-- wrk script: each connection alternates a version request and a submission
-- that echoes the value the version reply issued, as the game does.
-- Prints the submissions the server answered as stored.

local alphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789"

local function encode(text)
  while #text % 5 ~= 0 do text = text .. "0" end
  local out, bits, count = {}, 0, 0
  for i = 1, #text do
    bits = bits * 256 + text:byte(i)
    count = count + 8
    while count >= 5 do
      count = count - 5
      local p = 2 ^ count
      local v = math.floor(bits / p)
      out[#out + 1] = alphabet:sub(v + 1, v + 1)
      bits = bits - v * p
    end
  end
  return table.concat(out)
end

local function echo(reply)
  local field = ""
  for _ = 1, 5 do
    local bar = reply:find("|", 1, true)
    if bar then
      field = reply:sub(1, bar - 1)
      reply = reply:sub(bar + 1)
    else
      field = ""
    end
  end
  return field
end

local threads = {}

function setup(thread)
  table.insert(threads, thread)
end

function init(args)
  echoes = {}
  stored = 0
  refused = 0
  math.randomseed(os.time() + math.floor(os.clock() * 1000000))
end

function request()
  local value = table.remove(echoes)
  if value == nil then
    return wrk.format("GET", "/cgi/version.pl?version&prg=Fusewick")
  end
  local name = ""
  for _ = 1, math.random(3, 10) do name = name .. string.char(math.random(65, 90)) end
  local record = "type=0|name=" .. name .. "|score=" .. math.random(0, 999999) ..
                 "|key=X|p=" .. value .. "|add=LOAD TEST|z="
  return wrk.format("GET", "/cgi/version.pl?hs&prg=Fusewick&inf=" .. encode(record))
end

function response(status, headers, body)
  if status == 200 and body:sub(1, 12) == "OK|Fusewick|" then
    table.insert(echoes, echo(body))
  elseif status == 200 and body:sub(1, 10) == "OK|stored|" then
    stored = stored + 1
  else
    refused = refused + 1
  end
end

function done(summary, latency, requests)
  local s, r = 0, 0
  for _, t in ipairs(threads) do
    s = s + t:get("stored")
    r = r + t:get("refused")
  end
  local seconds = summary.duration / 1000000
  io.write(string.format("stored %d submissions (%.0f/s), refused %d\n", s, s / seconds, r))
end
