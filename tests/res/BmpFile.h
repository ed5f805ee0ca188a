// A reader of the bitmap and icon files as Windows would take them in:
// header fields exactly as stored, and palettised pixels decoded to RGB.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace velmora_test {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
  int luma() const { return (299 * r + 587 * g + 114 * b) / 1000; }
};

inline uint16_t le16(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}
inline uint32_t le32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
         (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Bmp {
  std::string error;  // empty when the file could be decoded
  // Header fields as stored
  uint32_t fileSize = 0, dataOffset = 0, infoSize = 0, compression = 0, imageSize = 0,
           coloursUsed = 0;
  int32_t width = 0, height = 0;
  uint16_t planes = 0, bitCount = 0;
  size_t actualFileSize = 0;
  std::vector<Rgb> palette;
  std::vector<uint8_t> index;  // top-down, width * height

  Rgb at(int x, int y) const { return palette[index[static_cast<size_t>(y) * width + x]]; }
};

inline Bmp readBmp(const std::string& path) {
  Bmp b;
  std::vector<uint8_t> d = readFile(path);
  b.actualFileSize = d.size();
  if (d.size() < 54) { b.error = "too short"; return b; }
  if (d[0] != 'B' || d[1] != 'M') { b.error = "no BM signature"; return b; }
  b.fileSize = le32(d, 2);
  b.dataOffset = le32(d, 10);
  b.infoSize = le32(d, 14);
  b.width = static_cast<int32_t>(le32(d, 18));
  b.height = static_cast<int32_t>(le32(d, 22));
  b.planes = le16(d, 26);
  b.bitCount = le16(d, 28);
  b.compression = le32(d, 30);
  b.imageSize = le32(d, 34);
  b.coloursUsed = le32(d, 46);
  if (b.infoSize != 40) { b.error = "not a BITMAPINFOHEADER"; return b; }
  if (b.bitCount != 4 && b.bitCount != 8) { b.error = "not palettised"; return b; }
  if (b.compression != 0) { b.error = "compressed"; return b; }
  if (b.width <= 0 || b.height <= 0) { b.error = "not a bottom-up bitmap"; return b; }
  const uint32_t entries = b.coloursUsed ? b.coloursUsed : (1u << b.bitCount);
  if (entries > (1u << b.bitCount) || 54 + 4 * entries > b.dataOffset) {
    b.error = "palette does not fit"; return b;
  }
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t p = 54 + 4 * i;
    b.palette.push_back(Rgb{d[p + 2], d[p + 1], d[p]});
  }
  const size_t stride = ((static_cast<size_t>(b.width) * b.bitCount + 31) / 32) * 4;
  if (b.dataOffset + stride * b.height > d.size()) { b.error = "pixel data truncated"; return b; }
  b.index.resize(static_cast<size_t>(b.width) * b.height);
  for (int y = 0; y < b.height; ++y) {
    const size_t row = b.dataOffset + stride * (b.height - 1 - y);
    for (int x = 0; x < b.width; ++x) {
      uint8_t v = b.bitCount == 8 ? d[row + x] : static_cast<uint8_t>((x % 2 ? d[row + x / 2] : d[row + x / 2] >> 4) & 0xF);
      if (v >= entries) { b.error = "pixel outside the palette"; return b; }
      b.index[static_cast<size_t>(y) * b.width + x] = v;
    }
  }
  return b;
}

}  // namespace velmora_test
