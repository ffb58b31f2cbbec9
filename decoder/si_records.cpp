#include "decoder/si_records.h"

namespace epgdec {

SectionHeader ReadSectionHeader(const uint8_t* section) {
  SectionHeader h;
  h.table_id = section[0];
  h.extension = ReadU16(section + 3);
  h.version = static_cast<uint8_t>((section[5] >> 1) & 0x1F);
  h.current = (section[5] & 0x01) != 0;
  h.section_number = section[6];
  return h;
}

}  // namespace epgdec
