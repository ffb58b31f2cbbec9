#pragma once
// The lines epgdump prints: tab-separated, texts in UTF-8 with backslash,
// TAB, CR and LF written as \\ \t \r \n.

#include <string>

#include "decoder/epg_decoder_api.h"

std::string EscapedUtf8(const char16_t* text);
std::string ServiceLine(const DecoderServiceEntry& service);
std::string EventLine(const DecoderEventEntry& event);
