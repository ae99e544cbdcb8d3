#include "ui/source_dialog/natural_order.h"

namespace morvane {

namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The end of the run of digits that starts at begin.
qsizetype DigitsEnd(const QString& text, qsizetype begin) {
    while (begin < text.size() && IsDigit(text[begin])) {
        ++begin;
    }
    return begin;
}

// Compares two runs of digits by value: without leading zeros the longer run is the larger
// number, and runs of equal length compare digit by digit. No run is ever converted to an
// integer, so names with very long numbers cannot overflow.
int CompareNumbers(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == u'0') {
        a = a.sliced(1);
    }
    while (b.size() > 1 && b.front() == u'0') {
        b = b.sliced(1);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

int CompareNaturally(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const qsizetype endA = DigitsEnd(a, i);
            const qsizetype endB = DigitsEnd(b, j);
            const int order = CompareNumbers(QStringView(a).sliced(i, endA - i),
                                             QStringView(b).sliced(j, endB - j));
            if (order != 0) {
                return order;
            }
            i = endA;
            j = endB;
            continue;
        }
        const char16_t foldedA = a[i].toCaseFolded().unicode();
        const char16_t foldedB = b[j].toCaseFolded().unicode();
        if (foldedA != foldedB) {
            return foldedA < foldedB ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const bool restA = i < a.size();
    const bool restB = j < b.size();
    return int(restA) - int(restB);
}

}  // namespace

bool NaturalLess(const QString& a, const QString& b) {
    const int order = CompareNaturally(a, b);
    if (order != 0) {
        return order < 0;
    }
    return a < b;
}

}  // namespace morvane
