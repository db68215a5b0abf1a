#pragma once
// The user's own folders for the product's files, made for the user alone
// when missing: under the home folder on Linux (found from the user's
// identity, never the environment, which two browsers may set differently),
// in the local application data on Windows.
#include <filesystem>

namespace korvaden {

enum class UserFolderKind {
  Cache,  // ~/.cache/korvaden: what may go at any time (the member lock)
  State,  // ~/.local/state/korvaden, %LOCALAPPDATA%\Korvaden: the support log
};

// Empty when the folder cannot be made, or is not the user's alone.
std::filesystem::path PrivateUserFolder(UserFolderKind kind);

// A folder, not a link to one, of the user's, that no group or other user may
// write into.
bool IsPrivateFolder(const std::filesystem::path& folder);

}  // namespace korvaden
