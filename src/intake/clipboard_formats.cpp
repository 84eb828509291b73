#include "intake/clipboard_formats.h"

#include "board/class_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace pelldrake {

namespace {

constexpr char kUriListFormat[] = "text/uri-list";
constexpr char kGnomeFilesFormat[] = "x-special/gnome-copied-files";
constexpr char kTextFormat[] = "text/plain";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
        if (lower != prefix[i])
            return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view line) {
    constexpr std::string_view kBlanks = " \t";
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

FilePathList LocalFilesOfUriLines(std::string_view text) {
    FilePathList files;
    for (const FilePath& line : NamesOfText(text)) {
        const std::string_view url = Trimmed(line);
        if (url.empty() || url.front() == '#')
            continue;
        if (std::optional<FilePath> path = LocalPathOfUrl(url))
            files.push_back(std::move(*path));
    }
    return files;
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

std::string DoubleNulPathList(const ClassList& list) {
    std::size_t length = 1;
    for (const FilePath& path : list.Entries())
        length += path.size() + 1;
    std::string packed;
    packed.reserve(length);
    for (const FilePath& path : list.Entries()) {
        packed += path;
        packed += '\0';
    }
    packed += '\0';
    return packed;
}

FilePath AbsolutePath(std::string_view path) {
    if (path.starts_with('/'))
        return FilePath(path);
    std::error_code error;
    return (std::filesystem::current_path(error) / std::filesystem::path(path)).native();
}

QByteArray FileUrl(std::string_view path) {
    const FilePath absolute = AbsolutePath(path);
    const QByteArray bytes(absolute.data(), static_cast<qsizetype>(absolute.size()));
    return "file://" + bytes.toPercentEncoding("/");
}

std::optional<FilePath> LocalPathOfUrl(std::string_view url) {
    if (!StartsWithNoCase(url, "file:"))
        return std::nullopt;
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        // Another machine's file is not on this one, whatever its path says.
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost")))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    rest = rest.substr(0, rest.find_first_of("?#"));
    const QByteArray decoded =
        QByteArray::fromPercentEncoding(QByteArray(rest.data(), static_cast<qsizetype>(rest.size())));
    if (decoded.contains('\0'))
        return std::nullopt;
    return decoded.toStdString();
}

std::unique_ptr<QMimeData> FileListMimeData(const FilePathList& paths) {
    QByteArray uriList;
    QByteArray gnomeFiles = "copy";
    QByteArray text;
    for (const FilePath& path : paths) {
        const QByteArray url = FileUrl(path);
        uriList += url + "\r\n";
        gnomeFiles += '\n' + url;
        text += QByteArray(path.data(), static_cast<qsizetype>(path.size())) + "\r\n";
    }
    auto contents = std::make_unique<QMimeData>();
    contents->setData(kUriListFormat, uriList);
    contents->setData(kGnomeFilesFormat, gnomeFiles);
    contents->setData(kTextFormat, text);
    return contents;
}

FilePathList LocalFilesOf(const QMimeData& contents) {
    FilePathList files = LocalFilesOfUriLines(View(contents.data(kUriListFormat)));
    // The GNOME form's first line, "copy" or "cut", is no URL and falls out by itself.
    if (files.empty())
        files = LocalFilesOfUriLines(View(contents.data(kGnomeFilesFormat)));
    return files;
}

bool OffersFilesOrText(const QMimeData& contents) {
    return contents.hasFormat(kUriListFormat) || contents.hasFormat(kGnomeFilesFormat) ||
           contents.hasFormat(kTextFormat);
}

qsizetype LargestPastedForm(const QMimeData& contents) {
    qsizetype largest = 0;
    for (const char* format : {kUriListFormat, kGnomeFilesFormat, kTextFormat})
        largest = std::max(largest, contents.data(format).size());
    return largest;
}

FilePathList NamesOfText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    FilePathList names;
    std::size_t pos = 0;
    while (true) {
        pos = text.find_first_not_of("\r\n", pos);
        if (pos == std::string_view::npos)
            return names;
        const std::size_t end = text.find_first_of("\r\n", pos);
        names.emplace_back(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        if (end == std::string_view::npos)
            return names;
        pos = end;
    }
}

} // namespace pelldrake
