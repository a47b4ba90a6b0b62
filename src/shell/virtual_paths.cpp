#include "shell/virtual_paths.h"

#include <filesystem>
#include <vector>

namespace tamori::shell {
namespace {

std::vector<std::string> split_components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

// The longest leading part of the path that exists, with links followed.
std::filesystem::path resolved_existing_part(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path existing = path;
  while (!existing.empty()) {
    std::filesystem::path resolved = std::filesystem::canonical(existing, error);
    if (!error) return resolved / std::filesystem::relative(path, existing, error);
    if (existing == existing.parent_path()) break;
    existing = existing.parent_path();
  }
  return path;
}

bool is_within(const std::filesystem::path& inner, const std::filesystem::path& outer) {
  auto outer_part = outer.begin();
  auto inner_part = inner.begin();
  for (; outer_part != outer.end(); ++outer_part, ++inner_part) {
    if (outer_part->empty()) continue;  // the trailing "/" of a folder
    if (inner_part == inner.end() || *inner_part != *outer_part) return false;
  }
  return true;
}

}  // namespace

std::string normalise_tamori_path(const std::string& current_folder, const std::string& path) {
  std::vector<std::string> kept;
  auto take = [&kept](const std::string& text) {
    for (const std::string& part : split_components(text)) {
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (!kept.empty()) kept.pop_back();
        continue;
      }
      kept.push_back(part);
    }
  };
  if (path.empty() || path[0] != '/') take(current_folder);
  take(path);
  std::string result;
  for (const std::string& part : kept) result += "/" + part;
  return result.empty() ? "/" : result;
}

bool host_path_inside_root(const std::string& root, const std::string& host_path) {
  std::error_code error;
  std::filesystem::path resolved_root = std::filesystem::weakly_canonical(root.empty() ? "." : root, error);
  if (error) return false;
  std::filesystem::path absolute = std::filesystem::absolute(host_path, error).lexically_normal();
  if (error) return false;
  // A dangling link would let a write create its target wherever it points.
  std::filesystem::path prefix;
  for (const std::filesystem::path& part : absolute) {
    prefix /= part;
    std::filesystem::file_status status = std::filesystem::symlink_status(prefix, error);
    if (error || !std::filesystem::exists(status)) break;
    if (std::filesystem::is_symlink(status)) {
      (void)std::filesystem::canonical(prefix, error);
      if (error) return false;
    }
  }
  return is_within(resolved_existing_part(absolute).lexically_normal(), resolved_root);
}

std::optional<std::string> resolve_to_host_filename(const std::string& root, const std::string& current_folder,
                                                    const std::string& path) {
  if (path.find('\0') != std::string::npos || current_folder.find('\0') != std::string::npos) return std::nullopt;
  std::string base = root.empty() || root.back() == '/' ? root : root + "/";
  std::string host_path = base + normalise_tamori_path(current_folder, path).substr(1);
  if (!host_path_inside_root(base, host_path)) return std::nullopt;
  return host_path;
}

}  // namespace tamori::shell
