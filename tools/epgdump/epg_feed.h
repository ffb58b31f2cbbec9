#pragma once
// Feeds an EPG data file to a decoder instance the way the program does.

#include <cstdint>
#include <string>

#include "tools/epgdump/decoder_library.h"

// Reads the file in 2000-packet blocks and passes every whole 188-byte packet
// of PIDs 0x00, 0x10, 0x11, 0x12 and 0x14. False when the file cannot be read.
bool FeedEpgFile(const DecoderLibrary& library, int32_t instance, const std::string& path);
