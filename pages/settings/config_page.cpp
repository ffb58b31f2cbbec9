#include "pages/settings/config_page.h"

#include "pages/forms/settings_form.h"

namespace plimod {

int ServeConfigPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  return ServeSettingsForm(out, params, settings, WriteConfigForm, StoreConfigForm);
}

}  // namespace plimod
