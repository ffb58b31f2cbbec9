#include "services/syoboi_fetch.h"

#include <cstdlib>

#include "util/conversions.h"
#include "util/url_encode.h"

namespace plimod {

std::string SyoboiBaseUrl() {
  const char* configured = std::getenv("SYOBOCAL_URL");
  std::string url = configured && *configured ? configured : std::string("http://") + kSyoboiHost + "/";
  if (url.back() != '/') url += '/';
  return url;
}

std::string SyoboiReferrer() {
  const std::string base = SyoboiBaseUrl();
  const std::size_t scheme = base.find("://");
  const std::size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
  return base.substr(0, base.find('/', hostStart) + 1);
}

HttpReply FetchSyoboiUserPrograms(const std::wstring& user, std::size_t maxBytes) {
  HttpRequest request;
  // The name travels as UTF-8, form-encoded, so blanks, "&" and non-ASCII
  // names reach the service intact.
  request.url = SyoboiBaseUrl() + "cal_chk.php?" +
                (user.empty() ? std::string("cookie=1") : "usr=" + UrlEncodeForm(WideToUtf8(user)));
  request.referrer = SyoboiReferrer();
  request.maxBytes = maxBytes;
  return SendHttpRequest(request);
}

}  // namespace plimod
