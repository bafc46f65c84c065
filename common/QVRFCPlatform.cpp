#include "qvrfc/common/QVRFCPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace qvrfc {

time64_t _time64(time64_t* timer) {
    const time64_t now = static_cast<time64_t>(std::time(nullptr));
    if (timer) *timer = now;
    return now;
}

int _localtime64_s(std::tm* result, const time64_t* timer) {
    if (!result || !timer) return EINVAL;
    const std::time_t t = static_cast<std::time_t>(*timer);
    return localtime_r(&t, result) ? 0 : EINVAL;
}

}  // namespace qvrfc

CString& GetCurrentTimeString(CString& text) {
    const qvrfc::time64_t now = qvrfc::_time64(nullptr);
    std::tm local{};
    const bool ok = qvrfc::_localtime64_s(&local, &now) == 0;
    text.Empty();
    text.Format("%02d:%02d:%02d-%02d-%02d-%d", ok ? local.tm_hour : -1, ok ? local.tm_min : -1,
                ok ? local.tm_sec : -1, ok ? local.tm_mon + 1 : 0, ok ? local.tm_mday : 0,
                ok ? local.tm_year + 1900 : 0);
    return text;
}

void QVRFCErrorExit(const char* message) {
    std::printf("@@@@( Error: %s\n", message ? message : "");
    std::fflush(stdout);
    std::exit(1);
}
