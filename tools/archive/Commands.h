#pragma once
// The commands of fusewick-archive.
#include <iosfwd>
#include <string>
#include <vector>

namespace fusewick::tool {

// Runs the tool with its arguments (argv[0] excluded from `args`); returns
// the exit status. Normal output goes to `out`, messages to `err`.
int RunArchiveTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

void ListArchive(const std::string& archive, std::ostream& out);
void ExtractArchive(const std::string& archive, const std::string& dir, std::ostream& err);
void PackArchive(const std::string& manifest, const std::string& out);
void SheetOfArchive(const std::string& archive, const std::string& png);

}  // namespace fusewick::tool
