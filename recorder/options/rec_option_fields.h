#pragma once
// The recording options as HTML form fields (selects, check boxes, margin
// inputs), with the labels every page shows them by. The fields carry no
// <form> of their own: the calling page wraps them.

#include <string_view>

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// The label of a value of a select option ("edc_priority", "edc_forrow",
// "edc_recmode", "edc_ext1", "edc_postaction"); empty for an unknown value.
std::string_view RecOptionLabel(std::string_view field, int value);

// Writes the fields of the mode with the current form values chosen; the
// section is read only for the batch-file and folder lists.
void WriteRecOptionFields(ReplyWriter& out, const RequestParameters& form, const IniSection& section,
                          bool srvMode);
void WriteRecOptionFields(ReplyWriter& out, const RequestParameters& form, const IniSection& section);

// The same with a cursor bound to [EPGDATACAP] (created when missing).
void WriteDefaultRecOptionFields(ReplyWriter& out, const RequestParameters& form, IniFile& settings);

}  // namespace plimod
