// The program's own version resource: a VS_VERSIONINFO block generated at build time from the
// project version, build type and build date (tools/version_block_gen.cpp). Read it through
// CNVersionInfo; the bytes are constant and may be read from any thread.
#pragma once
#include <span>

[[nodiscard]] std::span<const unsigned char> EmbeddedVersionBlock();
