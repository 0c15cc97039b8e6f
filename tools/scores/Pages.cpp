#include "Pages.h"

#include <cstdio>
#include <ctime>

namespace fusewick::scores {

namespace {

const char* const Style =
    "<style>"
    "body{margin:0;background:#0b1026;color:#e8ecff;font:16px/1.4 'DejaVu Sans',Verdana,sans-serif}"
    "main{max-width:760px;margin:0 auto;padding:24px}"
    "h1{font-size:34px;letter-spacing:6px;color:#ffcf3a;text-align:center;margin:8px 0 4px;"
    "text-shadow:0 0 12px #ff7a1a}"
    "p.sub{text-align:center;color:#9aa6d8;margin:0 0 20px}"
    "table{width:100%;border-collapse:collapse;background:#121a3d;border:2px solid #2b3a80}"
    "th{background:#2b3a80;color:#ffcf3a;text-align:left;padding:8px 10px;letter-spacing:2px;font-size:13px}"
    "td{padding:6px 10px;border-top:1px solid #1f2b5e}"
    "tr:nth-child(even) td{background:#0f1634}"
    "td.rank,td.score,th.num{text-align:right;font-variant-numeric:tabular-nums}"
    "p.foot{margin-top:18px}"
    "td.score{color:#7dffa0;font-weight:bold}"
    "td.name{letter-spacing:2px}"
    "td.note,td.date{color:#9aa6d8;font-size:14px}"
    "tr.top td.name{color:#ffcf3a}"
    "td.check a{color:#7dffa0;text-decoration:none;font-size:14px}"
    "td.check span.status{color:#a0a0b0;font-size:12px}"
    "a{color:#7dc8ff}"
    "</style>";

std::string Date(int64_t unixSeconds) {
  std::time_t t = std::time_t(unixSeconds);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return "";
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

std::string Head(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" +
         HtmlEscape(title) + "</title>" + Style + "</head><body><main>\n";
}

// At most limit characters of a text on the page, with an ellipsis if cut.
std::string Shown(const std::string& text, size_t limit) {
  std::string_view t = text;
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.size() <= limit) return HtmlEscape(t);
  return HtmlEscape(t.substr(0, limit)) + "&hellip;";
}

// The same for the API, with "..." for the ellipsis.
std::string ShownText(const std::string& text, size_t limit) {
  std::string_view t = text;
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.size() <= limit) return std::string(t);
  return std::string(t.substr(0, limit)) + "...";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string ReplayPath(int64_t resultId) { return "/replay/" + std::to_string(resultId); }

std::string ShowPage(const std::vector<TResultRow>& rows, int64_t total) {
  std::string page = Head("Fusewick - world high scores");
  page += "<h1>FUSEWICK</h1><p class=\"sub\">World high scores &middot; the best " + std::to_string(rows.size()) +
          " of " + std::to_string(total) + " results sent</p>\n";
  page +=
      "<table><thead><tr><th class=\"num\">#</th><th>NAME</th><th "
      "class=\"num\">SCORE</th><th>VERIFIED</th><th>NOTE</th><th>DATE</th></tr></thead><tbody>\n";
  int rank = 0;
  for (const TResultRow& r : rows) {
    ++rank;
    page += rank <= 3 ? "<tr class=\"top\">" : "<tr>";
    page += "<td class=\"rank\">" + std::to_string(rank) + "</td><td class=\"name\">" + Shown(r.Name, ShownNameLength) +
            "</td><td class=\"score\">" + std::to_string(r.Score) + "</td><td class=\"check\">";
    // Verified: a link to the recording; otherwise where its verification
    // stands, if it has a recording.
    if (r.Verified)
      page += "<a class=\"verified\" href=\"" + ReplayPath(r.Id) +
              "\" title=\"re-played to this score; download the recording\">&#10003; replay</a>";
    else if (!r.Status.empty() && r.Status != "no recording")
      page += "<span class=\"status\">" + HtmlEscape(r.Status) + "</span>";
    page += "</td><td class=\"note\">" + Shown(r.Note, ShownNoteLength) + "</td><td class=\"date\">" +
            Date(r.Received) + "</td></tr>\n";
  }
  if (rows.empty()) page += "<tr><td colspan=\"6\">No results yet.</td></tr>\n";
  page += "</tbody></table>\n<p class=\"sub foot\"><a href=\"/\">Fusewick home</a></p>\n</main></body></html>\n";
  return page;
}

std::string JsonEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      // Stored texts are ASCII; anything else is written as its byte value.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(byte));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ScoresJson(const std::vector<TResultRow>& rows, int64_t offset) {
  std::string out = "[";
  int64_t rank = offset;
  for (const TResultRow& r : rows) {
    if (rank != offset) out += ",";
    ++rank;
    out += "\n{\"rank\":" + std::to_string(rank) + ",\"name\":\"" + JsonEscape(ShownText(r.Name, ShownNameLength)) +
           "\",\"score\":" + std::to_string(r.Score) + ",\"verified\":" + (r.Verified ? "true" : "false") +
           ",\"replay\":" + (r.Verified ? "\"" + ReplayPath(r.Id) + "\"" : std::string("null")) + ",\"note\":\"" +
           JsonEscape(ShownText(r.Note, ShownNoteLength)) + "\",\"date\":\"" + Date(r.Received) + "\"";
    out += ",\"status\":\"" + JsonEscape(r.Status) + "\"}";
  }
  out += rows.empty() ? "]\n" : "\n]\n";
  return out;
}

std::string HomePage(const std::string& showTarget) {
  std::string page = Head("Fusewick");
  page +=
      "<h1>FUSEWICK</h1><p class=\"sub\">A single-screen arcade platform game</p>\n"
      "<p>Clear every bomb before its fuse burns down: walk, jump and high-jump across the platforms and clouds, "
      "dodge seven kinds of monster and grab the bonuses on the way. Each level burns its fuses faster.</p>\n"
      "<p>When your score enters the high-score table the game offers to send it here.</p>\n"
      "<p><a href=\"" +
      HtmlEscape(showTarget) + "\">World high scores</a></p>\n</main></body></html>\n";
  return page;
}

}  // namespace fusewick::scores
