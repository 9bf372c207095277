// Writes the program's version resource: a VS_VERSIONINFO block in the binary layout Windows uses,
// as a C++ byte array that foundation/embedded_version_block.h declares. Runs at build time.
//
// Usage: vemo_version_block_gen OUTPUT.cpp MAJOR MINOR PATCH TWEAK BUILD_TYPE EPOCH_SECONDS
//   BUILD_TYPE is "Debug" or "Release"; EPOCH_SECONDS is the build date (SOURCE_DATE_EPOCH when
//   set, so that reproducible builds give identical bytes).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& out, std::uint16_t w) {
  out.push_back(static_cast<std::uint8_t>(w & 0xFF));
  out.push_back(static_cast<std::uint8_t>(w >> 8));
}

void PutDword(Bytes& out, std::uint32_t d) {
  PutWord(out, static_cast<std::uint16_t>(d & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(d >> 16));
}

// Keys and values are ASCII here; each character becomes one UTF-16 unit, then a terminating 0.
void PutText(Bytes& out, const std::string& text) {
  for (unsigned char c : text) PutWord(out, c);
  PutWord(out, 0);
}

void Align(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// One block: wLength, wValueLength, wType, key, padding, value, padding, children. wLength covers
// the block up to the end of its last child (the padding after a block belongs to no one).
// Blocks always start 4-aligned, so alignment relative to the block is alignment in the file.
Bytes Block(const std::string& key, std::uint16_t type, std::uint16_t value_length,
            const Bytes& value, const std::vector<Bytes>& children) {
  Bytes out(6, 0);
  PutText(out, key);
  Align(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  out[0] = static_cast<std::uint8_t>(out.size() & 0xFF);
  out[1] = static_cast<std::uint8_t>(out.size() >> 8);
  out[2] = static_cast<std::uint8_t>(value_length & 0xFF);
  out[3] = static_cast<std::uint8_t>(value_length >> 8);
  out[4] = static_cast<std::uint8_t>(type);
  out[5] = 0;
  return out;
}

// A String entry: type 1, value length in UTF-16 units including the terminating 0.
Bytes StringEntry(const std::string& key, const std::string& value) {
  Bytes text;
  PutText(text, value);
  return Block(key, 1, static_cast<std::uint16_t>(value.size() + 1), text, {});
}

struct Identity {
  std::uint16_t version[4];
  bool debug;
  std::int64_t epoch;
};

Bytes VersionBlock(const Identity& id) {
  const std::uint32_t ms = (std::uint32_t{id.version[0]} << 16) | id.version[1];
  const std::uint32_t ls = (std::uint32_t{id.version[2]} << 16) | id.version[3];
  // File dates count 100 ns units since 1601-01-01 UTC.
  const std::uint64_t file_date =
      static_cast<std::uint64_t>(id.epoch) * 10'000'000ULL + 116'444'736'000'000'000ULL;

  Bytes fixed;
  PutDword(fixed, 0xFEEF04BD);            // dwSignature
  PutDword(fixed, 0x00010000);            // dwStrucVersion
  PutDword(fixed, ms);                    // dwFileVersionMS
  PutDword(fixed, ls);                    // dwFileVersionLS
  PutDword(fixed, ms);                    // dwProductVersionMS
  PutDword(fixed, ls);                    // dwProductVersionLS
  PutDword(fixed, 0x3F);                  // dwFileFlagsMask
  PutDword(fixed, id.debug ? 0x1 : 0x0);  // dwFileFlags: VS_FF_DEBUG
  PutDword(fixed, 0);                     // dwFileOS: VOS_UNKNOWN, no Windows OS to name
  PutDword(fixed, 1);                     // dwFileType: VFT_APP
  PutDword(fixed, 0);                     // dwFileSubtype
  PutDword(fixed, static_cast<std::uint32_t>(file_date >> 32));  // dwFileDateMS
  PutDword(fixed, static_cast<std::uint32_t>(file_date));        // dwFileDateLS

  std::string version = std::to_string(id.version[0]) + "." + std::to_string(id.version[1]) + "." +
                        std::to_string(id.version[2]);
  if (id.version[3] != 0) version += "." + std::to_string(id.version[3]);
  const std::time_t seconds = static_cast<std::time_t>(id.epoch);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  const std::string build_type = id.debug ? "Debug" : "Release";

  const std::vector<Bytes> strings = {
      StringEntry("Comments", build_type + " build"),
      StringEntry("CompanyName", "Tovak"),
      StringEntry("FileDescription", "Vemo directory tree checksums"),
      StringEntry("FileVersion", version),
      StringEntry("InternalName", "vemo"),
      StringEntry("LegalCopyright",
                  "Copyright (C) " + std::to_string(utc.tm_year + 1900) + " Tovak"),
      StringEntry("OriginalFilename", "vemo"),
      StringEntry("ProductName", "Vemo"),
      StringEntry("ProductVersion", version),
  };
  // U.S. English, Unicode (code page 1200).
  const Bytes table = Block("040904B0", 1, 0, {}, strings);
  const Bytes string_info = Block("StringFileInfo", 1, 0, {}, {table});
  Bytes translation;
  PutWord(translation, 0x0409);
  PutWord(translation, 1200);
  const Bytes var_info =
      Block("VarFileInfo", 1, 0, {}, {Block("Translation", 0, 4, translation, {})});
  return Block("VS_VERSION_INFO", 0, 52, fixed, {string_info, var_info});
}

std::string CppSource(const Bytes& block, const Identity& id) {
  std::ostringstream out;
  out << "// Generated by tools/version_block_gen.cpp at build time; do not edit.\n"
      << "// Vemo " << id.version[0] << '.' << id.version[1] << '.' << id.version[2] << '.'
      << id.version[3] << ' ' << (id.debug ? "Debug" : "Release") << ", build date " << id.epoch
      << " (seconds since 1970, UTC).\n"
      << "#include \"foundation/embedded_version_block.h\"\n\n"
      << "namespace {\n"
      << "alignas(4) constexpr unsigned char kVersionBlock[" << block.size() << "] = {";
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (i % 16 == 0) out << "\n   ";
    char hex[8];
    std::snprintf(hex, sizeof hex, " 0x%02x,", block[i]);
    out << hex;
  }
  out << "\n};\n}  // namespace\n\n"
      << "std::span<const unsigned char> EmbeddedVersionBlock() { return kVersionBlock; }\n";
  return out.str();
}

bool ParseNumber(const char* text, std::int64_t max, std::int64_t& out) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > max) return false;
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "usage: %s OUTPUT.cpp MAJOR MINOR PATCH TWEAK Debug|Release EPOCH_SECONDS\n",
                 argv[0]);
    return 2;
  }
  Identity id{};
  for (int i = 0; i < 4; ++i) {
    std::int64_t part = 0;
    // An empty argument is a version component the project did not give.
    if (argv[2 + i][0] != '\0' && !ParseNumber(argv[2 + i], 0xFFFF, part)) {
      std::fprintf(stderr, "version component out of range: '%s'\n", argv[2 + i]);
      return 2;
    }
    id.version[i] = static_cast<std::uint16_t>(part);
  }
  const std::string build_type = argv[6];
  if (build_type != "Debug" && build_type != "Release") {
    std::fprintf(stderr, "build type must be Debug or Release: '%s'\n", argv[6]);
    return 2;
  }
  id.debug = build_type == "Debug";
  // Up to the year 9999, well inside the file-date range.
  if (!ParseNumber(argv[7], 253'402'300'799LL, id.epoch)) {
    std::fprintf(stderr, "build date must be seconds since 1970: '%s'\n", argv[7]);
    return 2;
  }

  const std::string source = CppSource(VersionBlock(id), id);
  const std::string temp = std::string(argv[1]) + ".tmp";
  std::ofstream file(temp, std::ios::binary | std::ios::trunc);
  file << source;
  file.close();
  if (!file || std::rename(temp.c_str(), argv[1]) != 0) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
