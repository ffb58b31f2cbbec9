#pragma once
// The colour picker ("色の参照") that the genre colour page and the search
// condition editor write in place of their own page: 125 palette colours and
// a field for any colour text. Its post comes back under the caller's
// command with `color_value` (a palette colour or "direct"), `color_text`
// and the button `colorupdate` (stay) or `submit` (back).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// Longest colour the picker hands over, in characters.
inline constexpr std::size_t kPickerColourChars = 15;

// Red, green and blue from 128, 160, 192, 224, 255, ordered by the product
// red x green x blue; equal products keep red-outer, blue-inner order.
// As "#rrggbb".
std::vector<std::string> ColourPalette();

// The whole picker page for the current colour. The caller's `cmd` and
// `sh_idx` come back with the post. `index` is the caller's entry (unused).
void ServeColorPickerPage(ReplyWriter& out, const RequestParameters& params, std::wstring_view colour, int index);

// The colour the picker's post chose: `color_text` when `color_value` is
// "direct", else `color_value` itself; nothing when `color_value` is empty.
std::optional<std::wstring> ReadColorPickerForm(const RequestParameters& params);

}  // namespace plimod
