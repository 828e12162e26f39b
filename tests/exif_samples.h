// Photos for the dates port's tests and the benchmark, made here: a JPEG of
// one grey pixel built byte by byte, and its Exif block written by exiv2
// itself, so that no sample comes from a file of unknown origin.
#pragma once

#include <cstdint>
#include <exiv2/exiv2.hpp>
#include <string>
#include <utility>
#include <vector>

namespace quillon::testing {

// A baseline JPEG of one grey pixel: JFIF's APP0, a quantisation table of
// ones, the frame, one-code Huffman tables for DC and AC, and a scan whose
// two bits say "no difference" and "end of block".
inline std::string MinimalJpeg() {
  std::string jpeg = "\xFF\xD8";
  jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
  jpeg += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
  jpeg += std::string("\xFF\xC0\x00\x0B\x08\x00\x01\x00\x01\x01\x01\x11\x00", 13);
  for (const char tableClass : {'\x00', '\x10'}) {
    jpeg += std::string("\xFF\xC4\x00\x14", 4) + tableClass + '\x01' + std::string(15, '\x00');
    jpeg += '\x00';
  }
  jpeg += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
  jpeg += "\x3F\xFF\xD9";
  return jpeg;
}

// `image` (a JPEG or TIFF) with these Exif tags set as exiv2 writes them,
// each value in the tag's own type ("Exif.Photo.DateTimeOriginal" as text).
inline std::string WithExif(const std::string& image,
                            const std::vector<std::pair<std::string, std::string>>& tags) {
  auto photo = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(image.data()),
                                         static_cast<long>(image.size()));
  photo->readMetadata();
  for (const auto& [key, value] : tags) photo->exifData()[key] = value;
  photo->writeMetadata();
  Exiv2::BasicIo& io = photo->io();
  io.open();
  const Exiv2::DataBuf bytes = io.read(io.size());
  io.close();
  return {reinterpret_cast<const char*>(bytes.pData_), static_cast<std::size_t>(bytes.size_)};
}

// A photo as a camera leaves it: the capture time, and what a phone adds.
inline std::string PhotoTakenAt(const std::string& dateTime, const std::string& subSeconds = "",
                                const std::string& offset = "") {
  std::vector<std::pair<std::string, std::string>> tags = {
      {"Exif.Image.Make", "Quillon"}, {"Exif.Photo.DateTimeOriginal", dateTime}};
  if (!subSeconds.empty()) tags.emplace_back("Exif.Photo.SubSecTimeOriginal", subSeconds);
  if (!offset.empty()) tags.emplace_back("Exif.Photo.OffsetTimeOriginal", offset);
  return WithExif(MinimalJpeg(), tags);
}

}  // namespace quillon::testing
