// Signs an executable in place after linking: appends (or renews) the trailer that brings the
// file's CRC-32 to 0, which the program checks at start-up. Usage: vemo_exe_signer FILE
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/executable_signature.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vemo_exe_signer FILE\n");
    return 2;
  }
  const std::string path = argv[1];
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) {
    std::perror(path.c_str());
    return 1;
  }
  in.close();
  if (!SignExecutableBytes(bytes)) {
    std::fprintf(stderr, "vemo_exe_signer: no signature found for %s\n", path.c_str());
    return 1;
  }
  struct stat info {};
  const bool have_mode = stat(path.c_str(), &info) == 0;
  const std::string temp = path + ".signing";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::perror(temp.c_str());
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (have_mode) chmod(temp.c_str(), info.st_mode & 07777);
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::perror(path.c_str());
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
