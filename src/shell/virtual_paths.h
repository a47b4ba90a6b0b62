// The commands' folder tree: virtual paths below the root path (the virtual
// "/"), which no path can leave. ".." stops at the root, a path starting
// with "/" is taken from the root, and a host path is refused when it holds
// a NUL byte or when a symbolic link inside the root leads out of it.
#pragma once

#include <optional>
#include <string>

namespace tamori::shell {

inline constexpr std::size_t kMaxCurrentFolderLength = 1023;

// The virtual path of `path` seen from `current_folder` (no leading or
// trailing "/"): empty components and "." dropped, ".." removing the one
// before it (ignored at the root). Begins with "/"; "/" alone is the root.
std::string normalise_tamori_path(const std::string& current_folder, const std::string& path);

// The host file name: the root path (with its trailing "/") followed by the
// normalised path without its leading "/". Nothing when the name holds a
// NUL byte or resolves, through links, to a place outside the root.
std::optional<std::string> resolve_to_host_filename(const std::string& root, const std::string& current_folder,
                                                    const std::string& path);

// True when the host path, as far as it exists, lies inside the root once
// every link is followed (the part that does not exist yet cannot lead out).
bool host_path_inside_root(const std::string& root, const std::string& host_path);

}  // namespace tamori::shell
