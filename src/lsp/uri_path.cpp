// URI conversions: what editors send, escaped as they escape it.
#include "lsp/uri_path.h"

#include <filesystem>

namespace rpgc::lsp {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string pathOfUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (!uri.starts_with(kScheme)) return {};
  uri.remove_prefix(kScheme.size());
  // An authority (a host name) before the path: only the local host is ours.
  size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return {};
  std::string_view host = uri.substr(0, slash);
  if (!host.empty() && host != "localhost") return {};
  uri.remove_prefix(slash);
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && hexValue(uri[i + 1]) >= 0 &&
        hexValue(uri[i + 2]) >= 0) {
      path.push_back(static_cast<char>(hexValue(uri[i + 1]) * 16 + hexValue(uri[i + 2])));
      i += 2;
    } else if (uri[i] == '?' || uri[i] == '#') {
      break;
    } else {
      path.push_back(uri[i]);
    }
  }
  if (path.find('\0') != std::string::npos) return {};
  return path;
}

std::string uriOfPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                 (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                 c == '/';
    if (plain) {
      uri.push_back(c);
    } else {
      uri.push_back('%');
      uri.push_back(kHex[byte >> 4]);
      uri.push_back(kHex[byte & 15]);
    }
  }
  return uri;
}

std::string normalPath(std::string_view path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), error);
  if (error) full = std::filesystem::path(path);
  return full.lexically_normal().string();
}

}  // namespace rpgc::lsp
