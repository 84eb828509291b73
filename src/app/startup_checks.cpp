#include "app/startup_checks.h"

#include "platform/prompter.h"
#include "resources/strings.h"

#include <QImageReader>

namespace pelldrake {

ImageEnvironment ImageEnvironment::Real() {
    return {[] {
                const QList<QByteArray> formats = QImageReader::supportedImageFormats();
                return formats.contains("jpeg") && formats.contains("png");
            },
            [] { return ParseVersion(qVersion()); }};
}

std::optional<LibraryVersion> ParseVersion(const char* text) {
    if (!text)
        return std::nullopt;
    const QList<QByteArray> parts = QByteArray(text).split('.');
    if (parts.isEmpty() || parts.size() > 4)
        return std::nullopt;
    LibraryVersion version{0, 0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int value = parts[i].toInt(&ok);
        if (!ok || value < 0 || value > 0xFFFF)
            return std::nullopt;
        version[static_cast<std::size_t>(i)] = value;
    }
    return version;
}

StartupChecks::StartupChecks(SettingsFile settings, Prompter& prompter, ImageEnvironment environment)
    : settings_(std::move(settings)), prompter_(prompter), environment_(std::move(environment)) {}

bool StartupChecks::PresenceCheck() {
    if (settings_.ThumbCtlCheck() == 0)
        return true;
    while (!environment_.decodersPresent()) {
        const PromptAnswer answer = prompter_.Ask(strings::Message(strings::kThumbControlMissing),
                                                  PromptButtons::AbortRetryIgnore, PromptIcon::Stop);
        if (answer == PromptAnswer::Abort)
            return false;
        if (answer == PromptAnswer::Ignore)
            return true;
    }
    return true;
}

bool StartupChecks::VersionAccepted(const LibraryVersion& version) const {
    auto matches = [](int wanted, int actual) { return wanted == -1 || wanted == actual; };
    return settings_.ThumbCtlVersionHH() == version[0] && matches(settings_.ThumbCtlVersionHL(), version[1]) &&
           matches(settings_.ThumbCtlVersionLH(), version[2]) && matches(settings_.ThumbCtlVersionLL(), version[3]);
}

bool StartupChecks::VersionCheck() {
    if (settings_.ThumbCtlVersionCheck() == 0)
        return true;
    const std::optional<LibraryVersion> version = environment_.libraryVersion();
    if (!version) {
        prompter_.Ask(strings::Message(strings::kThumbVersionUnreadable), PromptButtons::Ok, PromptIcon::Exclamation);
        return false;
    }
    if (VersionAccepted(*version))
        return true;
    const QByteArray format = strings::Message(strings::kThumbVersionMismatch).toUtf8();
    const QString text =
        QString::asprintf(format.constData(), static_cast<long>((*version)[0]), static_cast<long>((*version)[1]),
                          static_cast<long>((*version)[2]), static_cast<long>((*version)[3]));
    return prompter_.Ask(text, PromptButtons::YesNo, PromptIcon::Stop) == PromptAnswer::No;
}

bool StartupChecks::RunChecks() {
    // Every value would be a default, and the questions that follow would say what is not so.
    // The file is left as it is: nothing is written to a file that could not be read.
    if (settings_.profile().Unreadable()) {
        prompter_.Ask(strings::Utf8(strings::kSettingsUnreadable).arg(settings_.profile().path()), PromptButtons::Ok,
                      PromptIcon::Exclamation);
        return false;
    }
    return PresenceCheck() && VersionCheck();
}

LayoutMode StartupChecks::ChooseLayout() const {
    return LayoutForMode(settings_.DialogMode());
}

} // namespace pelldrake
