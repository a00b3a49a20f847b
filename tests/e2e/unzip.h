// Reads a zip archive as an unpacker does: the central directory, then each entry's data, stored
// or deflated, checked against its size and CRC-32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

struct ZipEntry {
  std::string name;  // the bytes the archive holds for the name
  std::uint16_t flags = 0;
  std::string data;
};

struct ZipContent {
  std::vector<ZipEntry> entries;  // in the central directory's order
  std::string error;              // empty when the whole archive was read
};

ZipContent ReadZip(std::string_view archive);

}  // namespace e2e
