#pragma once
// The recording options a reservation carries, kept under the same keys in
// every section that holds a copy ([EPGDATACAP] holds the defaults; patterns,
// automatic-reservation conditions and the reservation pages their own), and
// moved between such a section and the form values of a request (`edc_`
// fields, decimal text or path text).
//
// With the text-file recorder only the first five options exist; the other
// seven belong to the reservation server. Every operation has a form that
// takes the mode, and one that asks the recorder mode.

#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// The section that holds the default options.
inline constexpr const wchar_t* kDefaultRecOptionSection = L"EPGDATACAP";
// Value-only lists: batch files (offered 1-based) and recording folders
// (offered 0-based).
inline constexpr const wchar_t* kBatchListSection = L"EDCB_BATCHLIST";
inline constexpr const wchar_t* kRecFolderListSection = L"EDCB_RECDIR";

// Fills the form values of the options of the mode: the default, over it
// [EPGDATACAP]'s value, over that the bound section's; the two paths come
// from the bound section, else [EPGDATACAP], else empty, as UTF-8.
void LoadRecOptions(RequestParameters& form, const IniSection& section, bool srvMode);
void LoadRecOptions(RequestParameters& form, const IniSection& section);

// Writes the form values into the bound section (absent fields count as 0;
// a batch or folder index without an entry leaves the path as it is). The
// caller saves the document. Sets `edc_service_flag` from the three service
// boxes when it is empty (a posted form).
void StoreRecOptions(RequestParameters& form, IniSection& section, bool srvMode);
void StoreRecOptions(RequestParameters& form, IniSection& section);

}  // namespace plimod
