#include "platform/name_order.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>

namespace pelldrake {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Unicode case folding for the rare name that needs it; empty when the name is not UTF-8.
std::string FoldedUtf8(std::string_view name) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    if (decoder.hasError())
        return {};
    return text.toCaseFolded().toStdString();
}

} // namespace

std::string NameSortKey(std::string_view name) {
    std::string folded;
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        folded = FoldedUtf8(name);
        if (!folded.empty())
            name = folded;
    }
    std::string key;
    key.reserve(name.size() + 8);
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (!IsDigit(c)) {
            key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            ++i;
            continue;
        }
        // A run of digits becomes '0', its length without leading zeros, then those digits: a
        // shorter number is a smaller one, and digits keep their place among the other
        // characters. Digits appear in a key only in such runs, so two runs always meet.
        std::size_t end = i;
        while (end < name.size() && IsDigit(name[end]))
            ++end;
        std::size_t first = i;
        while (first + 1 < end && name[first] == '0')
            ++first;
        const std::size_t length = std::min<std::size_t>(end - first, 0xff);
        key += '0';
        key += static_cast<char>(length);
        key.append(name.substr(first, end - first));
        i = end;
    }
    return key;
}

} // namespace pelldrake
