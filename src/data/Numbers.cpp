#include "Numbers.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kvz {
namespace {

QString withoutBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            out.append(c);
    }
    return out;
}

int digitValue(QChar c, int radix) {
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    return v < radix ? v : -1;
}

double radixNumber(const QString& s, qsizetype from, int radix) {
    double value = 0;
    for (qsizetype i = from; i < s.size(); ++i) {
        const int d = digitValue(s[i], radix);
        if (d < 0)
            break;
        value = value * radix + d;
    }
    return value;
}

bool isDigit(const QString& s, qsizetype i) {
    return i < s.size() && s[i] >= u'0' && s[i] <= u'9';
}

qsizetype skipDigits(const QString& s, qsizetype i) {
    while (isDigit(s, i))
        ++i;
    return i;
}

// The power of ten of the leading digit of a decimal text, to tell overflow from underflow.
long long decimalMagnitude(const char* first, const char* last) {
    const char* e = std::find_if(first, last, [](char c) { return c == 'e'; });
    long long exponent = 0;
    if (e != last) {
        const char* digits = e + 1 + (e + 1 != last && (e[1] == '+' || e[1] == '-'));
        std::from_chars(digits, last, exponent);
        exponent = std::min(exponent, 1000000LL);
        if (e + 1 != last && e[1] == '-')
            exponent = -exponent;
    }
    long long position = 0; // digits before the point, or minus the zeros after it
    bool seenPoint = false, seenSignificant = false;
    for (const char* p = first; p != e && !seenSignificant; ++p) {
        if (*p == '.')
            seenPoint = true;
        else if (*p != '0')
            seenSignificant = true;
        else if (seenPoint)
            --position;
    }
    if (!seenPoint) {
        const char* point = std::find(first, e, '.');
        const char* firstSignificant = std::find_if(first, point, [](char c) { return c != '0'; });
        position = point - firstSignificant;
    }
    return position + exponent;
}

// Locale-independent: the program runs under a Russian locale whose decimal mark is a comma.
double parseDouble(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-'))
        negative = *first++ == '-';
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range)
        value = decimalMagnitude(first, last) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    (void)end;
    return negative ? -value : value;
}

// The longest leading run that forms a decimal number, and its text in C form.
double decimalNumber(const QString& s) {
    std::string text;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        text += char(s[i++].unicode());
    const qsizetype mantissaStart = i;
    i = skipDigits(s, i);
    if (i < s.size() && s[i] == u'.')
        i = skipDigits(s, i + 1);
    for (qsizetype k = mantissaStart; k < i; ++k)
        text += char(s[k].unicode());
    const bool hasDigits = text.find_first_of("0123456789") != std::string::npos;
    if (!hasDigits)
        return 0;
    if (i < s.size() && QStringLiteral("EeDd").contains(s[i])) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent += char(s[j++].unicode());
        const qsizetype expDigits = j;
        j = skipDigits(s, j);
        if (j > expDigits) {
            for (qsizetype k = expDigits; k < j; ++k)
                exponent += char(s[k].unicode());
            text += exponent;
        }
    }
    return parseDouble(text);
}

} // namespace

double leadingNumber(const QString& text) {
    const QString s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixNumber(s, 2, 16);
        if (kind == u'O')
            return radixNumber(s, 2, 8);
        return 0;
    }
    return decimalNumber(s);
}

std::optional<std::int32_t> roundToInt32(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // default rounding mode: ties to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> wholeNumberIn(const QString& text) {
    return roundToInt32(leadingNumber(text));
}

std::optional<double> typedNumber(const QString& text) {
    QString s = text.trimmed();
    s.replace(u',', u'.');
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace kvz
