#include "platform/sim/VirtualClock.h"

#include <chrono>
#include <cstdio>

namespace kvt::sim {
namespace {

bool ReadNumber(std::string_view text, std::size_t pos, std::size_t digits, int& out) {
    if (pos + digits > text.size()) return false;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

}  // namespace

std::optional<std::int64_t> ParseIsoLocalTime(std::string_view text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    if (!ReadNumber(text, 0, 4, year) || !ReadNumber(text, 5, 2, month) || !ReadNumber(text, 8, 2, day) ||
        !ReadNumber(text, 11, 2, hour) || !ReadNumber(text, 14, 2, minute) || !ReadNumber(text, 17, 2, second))
        return std::nullopt;
    if (text.size() > 19) {
        if (text.size() != 23 || text[19] != '.' || !ReadNumber(text, 20, 3, ms)) return std::nullopt;
    }
    using namespace std::chrono;
    year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                        std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    auto days = sys_days{date}.time_since_epoch();
    auto total = duration_cast<milliseconds>(days) + hours{hour} + minutes{minute} + seconds{second} +
                 milliseconds{ms};
    return total.count();
}

ports::LocalTime ToLocalTime(std::int64_t millisecondsSinceEpoch) {
    using namespace std::chrono;
    milliseconds total{millisecondsSinceEpoch};
    auto dayPoint = floor<days>(sys_time<milliseconds>{total});
    year_month_day date{dayPoint};
    auto rest = total - dayPoint.time_since_epoch();
    ports::LocalTime t;
    t.year = static_cast<std::uint16_t>(static_cast<int>(date.year()));
    t.month = static_cast<std::uint16_t>(static_cast<unsigned>(date.month()));
    t.day = static_cast<std::uint16_t>(static_cast<unsigned>(date.day()));
    t.hour = static_cast<std::uint16_t>(duration_cast<hours>(rest).count());
    t.minute = static_cast<std::uint16_t>(duration_cast<minutes>(rest).count() % 60);
    t.second = static_cast<std::uint16_t>(duration_cast<seconds>(rest).count() % 60);
    t.milliseconds = static_cast<std::uint16_t>(rest.count() % 1000);
    return t;
}

std::string FormatIsoLocalTime(std::int64_t millisecondsSinceEpoch) {
    ports::LocalTime t = ToLocalTime(millisecondsSinceEpoch);
    char text[64];
    if (t.milliseconds != 0)
        std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", t.year, t.month, t.day, t.hour,
                      t.minute, t.second, t.milliseconds);
    else
        std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
    return text;
}

}  // namespace kvt::sim
