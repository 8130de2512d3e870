// Local folder paths as the pane keeps them: "/" or a mount point is a root; a folder below a
// root is the root, "/" and the names, with no trailing "/"; "" stands for the drive list.
#pragma once

#include <string>
#include <vector>

namespace local {

// The longest name the drive box shows whole; longer names show their first 40 characters
// and "...".
constexpr std::size_t kComboNameLimit = 40;

// An absolute path: from "/" on POSIX, from a drive ("C:", "C:/...", "C:\\...") on Windows.
bool IsAbsoluteFolder(const std::string& folder);

// Removes doubled and trailing separators; "" for a path that is not absolute. On Windows the
// separators become '/' and the drive letter upper case ("c:\\x\\" gives "C:/x").
std::string NormalizeFolder(const std::string& folder);

// `name` appended to `folder` with one separator ("/" + "home" gives "/home").
std::string JoinFolder(const std::string& folder, const std::string& name);

// True when `folder` is "/" or one of `roots`.
bool IsRootFolder(const std::string& folder, const std::vector<std::string>& roots);

// The folder one level up; a root, and anything not absolute, go up to the drive list ("").
std::string ParentFolder(const std::string& folder, const std::vector<std::string>& roots);

// The longest of `roots` (and "/") that `folder` is or lies below.
std::string RootOfFolder(const std::string& folder, const std::vector<std::string>& roots);

// The names of `folder` below `root`, outermost first (none for the root itself).
std::vector<std::string> FolderChain(const std::string& folder, const std::string& root);

// The last name of a folder ("/" for the root "/").
std::string LastComponent(const std::string& folder);

// A name as the drive box shows it: whole up to 40 characters (UTF-8 characters, never cut
// inside one), else its first 40 characters and "...".
std::string ShortenForCombo(const std::string& name);

} // namespace local
