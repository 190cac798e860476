#include "link/NumberText.h"

#include <limits>

namespace {

// Full-width forms U+FF01..U+FF5E mirror ASCII 0x21..0x7E; U+3000 is the full-width blank.
char16_t asciiForm(char16_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return char16_t(c - 0xFF01 + 0x21);
    if (c == 0x3000)
        return u' ';
    return c;
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

} // namespace

int leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(asciiForm(text[i].unicode())))
        ++i;
    bool negative = false;
    if (i < n) {
        const char16_t sign = asciiForm(text[i].unicode());
        if (sign == u'+' || sign == u'-') {
            negative = sign == u'-';
            ++i;
        }
    }
    long long value = 0;
    constexpr long long limit = std::numeric_limits<int>::max();
    for (; i < n; ++i) {
        const char16_t c = asciiForm(text[i].unicode());
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
        if (value > limit + 1)
            value = limit + 1;
    }
    if (negative)
        return int(-std::min(value, limit + 1));
    return int(std::min(value, limit));
}
