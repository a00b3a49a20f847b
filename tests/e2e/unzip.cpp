#include "unzip.h"

#include <zlib.h>

#include <limits>

namespace e2e {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

// Little-endian fields at an offset; 0 past the end (the size checks catch that first).
struct Bytes {
  std::string_view all;
  std::uint32_t U16(size_t at) const {
    if (at + 2 > all.size()) return 0;
    return static_cast<unsigned char>(all[at]) | static_cast<unsigned char>(all[at + 1]) << 8;
  }
  std::uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
};

bool Inflate(std::string_view packed, size_t size, std::string& out) {
  if (packed.size() > std::numeric_limits<uInt>::max() || size > std::numeric_limits<uInt>::max())
    return false;
  out.assign(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;  // raw deflate, no zlib header
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  return whole;
}

}  // namespace

ZipContent ReadZip(std::string_view archive) {
  ZipContent content;
  const Bytes bytes{archive};
  // The end record is the last thing in the file, before a comment of up to 65535 bytes.
  size_t end = std::string_view::npos;
  for (size_t at = archive.size() >= kEndSize ? archive.size() - kEndSize + 1 : 0; at-- > 0;) {
    if (bytes.U32(at) == kEndSignature) {
      end = at;
      break;
    }
    if (archive.size() - at > kEndSize + 65535) break;
  }
  if (end == std::string_view::npos) {
    content.error = "no end of central directory";
    return content;
  }
  const size_t count = bytes.U16(end + 10);
  size_t at = bytes.U32(end + 16);
  for (size_t i = 0; i < count; ++i) {
    if (at + kCentralSize > archive.size() || bytes.U32(at) != kCentralSignature) {
      content.error = "central directory entry " + std::to_string(i) + " is broken";
      return content;
    }
    ZipEntry entry;
    entry.flags = static_cast<std::uint16_t>(bytes.U16(at + 8));
    const std::uint32_t method = bytes.U16(at + 10);
    const std::uint32_t crc = bytes.U32(at + 16);
    const size_t packedSize = bytes.U32(at + 20);
    const size_t size = bytes.U32(at + 24);
    const size_t nameLength = bytes.U16(at + 28);
    const size_t local = bytes.U32(at + 42);
    entry.name = std::string(archive.substr(at + kCentralSize, nameLength));
    at += kCentralSize + nameLength + bytes.U16(at + 30) + bytes.U16(at + 32);

    if (local + kLocalSize > archive.size() || bytes.U32(local) != kLocalSignature) {
      content.error = entry.name + ": no local header";
      return content;
    }
    const size_t data = local + kLocalSize + bytes.U16(local + 26) + bytes.U16(local + 28);
    if (data + packedSize > archive.size()) {
      content.error = entry.name + ": data past the end of the archive";
      return content;
    }
    const std::string_view packed = archive.substr(data, packedSize);
    if (method == 0 && packedSize == size) {
      entry.data = std::string(packed);
    } else if (method != 8 || !Inflate(packed, size, entry.data)) {
      content.error = entry.name + ": cannot be unpacked (method " + std::to_string(method) + ")";
      return content;
    }
    if (crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size())) !=
        crc) {
      content.error = entry.name + ": CRC-32 differs";
      return content;
    }
    content.entries.push_back(std::move(entry));
  }
  return content;
}

}  // namespace e2e
