#include "thumbs/shooting_line.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <optional>

namespace pelldrake {
namespace {

// Names longer than any camera or lens has come from a damaged or crafted file.
constexpr qsizetype kMaxNameLength = 120;
// Beyond any focal length, time or ISO a camera records; also keeps the rounding to an integer sound.
constexpr double kLargestNumber = 1e9;

// "1/500", "105/1", "2.8" or "5.6 mm"; nothing for what is no positive number.
std::optional<double> PositiveNumber(const std::string& text) {
    const QString value = QString::fromStdString(text).trimmed().section(QLatin1Char(' '), 0, 0);
    bool ok = false;
    double number = 0;
    if (const qsizetype slash = value.indexOf(QLatin1Char('/')); slash >= 0) {
        bool denominatorOk = false;
        const double denominator = value.mid(slash + 1).toDouble(&denominatorOk);
        number = value.left(slash).toDouble(&ok) / denominator;
        ok = ok && denominatorOk && denominator != 0;
    } else {
        number = value.toDouble(&ok);
    }
    if (!ok || !std::isfinite(number) || number <= 0 || number > kLargestNumber)
        return std::nullopt;
    return number;
}

// One place after the point at most, none when it is 0: 105, 4.2, 2.8.
QString Short(double number) {
    return QString::number(std::round(number * 10) / 10, 'f', std::fmod(std::round(number * 10), 10) == 0 ? 0 : 1);
}

QString Name(const std::string& text) {
    QString name = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // A camera pads its fixed-size fields with NULs or spaces; control characters never show.
    name.replace(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]+")), QStringLiteral(" "));
    name = name.simplified();
    return name.size() > kMaxNameLength ? name.left(kMaxNameLength) + QChar(0x2026) : name;
}

QString Exposure(const std::string& text) {
    const std::optional<double> seconds = PositiveNumber(text);
    if (!seconds)
        return {};
    // Shorter than a second as the camera's dial shows it (1/500), unless it is no such fraction (0.4).
    if (*seconds < 1) {
        const double denominator = 1 / *seconds;
        if (std::abs(denominator - std::round(denominator)) < denominator * 0.01)
            return QStringLiteral("1/%1 s").arg(std::llround(denominator));
    }
    return Short(*seconds) + QStringLiteral(" s");
}

QString Taken(const std::string& text) {
    static const QRegularExpression date(
        QStringLiteral("^\\s*(\\d{4})[:-](\\d{2})[:-](\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2}))?)?"));
    const QRegularExpressionMatch match = date.match(QString::fromStdString(text));
    // A camera whose clock was never set writes zeros.
    if (!match.hasMatch() || match.captured(1).toInt() == 0)
        return {};
    QString out = match.captured(1) + QLatin1Char('/') + match.captured(2) + QLatin1Char('/') + match.captured(3);
    if (match.hasCaptured(4)) {
        out += QLatin1Char(' ') + match.captured(4) + QLatin1Char(':') + match.captured(5) + QLatin1Char(':') +
               (match.hasCaptured(6) ? match.captured(6) : QStringLiteral("00"));
    }
    return out;
}

} // namespace

QString ShootingLine(const QString& fileName, const ShootingData& data) {
    QStringList fields{fileName};
    const auto add = [&fields](const QString& field) {
        if (!field.isEmpty())
            fields.push_back(field);
    };
    add(Name(data.camera));
    add(Name(data.lens));
    if (const std::optional<double> focal = PositiveNumber(data.focalLength))
        add(Short(*focal) + QStringLiteral("mm"));
    add(Exposure(data.exposureTime));
    if (const std::optional<double> f = PositiveNumber(data.fNumber))
        add(QStringLiteral("F") + Short(*f));
    if (const std::optional<double> iso = PositiveNumber(data.iso))
        add(QStringLiteral("ISO %1").arg(std::llround(*iso)));
    add(Taken(data.taken));
    return fields.join(QStringLiteral("  "));
}

} // namespace pelldrake
