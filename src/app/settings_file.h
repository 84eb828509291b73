#pragma once

#include "platform/profile_file.h"

#include <QRect>
#include <QString>
#include <string>
#include <vector>

namespace pelldrake {

// One accessor per key of the settings file. Nothing is cached: every call reads or writes the
// file, so a hand edit or a change made by another dialog takes effect at the next use.
class SettingsFile {
public:
    explicit SettingsFile(QString path) : profile_(std::move(path)) {}

    const QString& path() const { return profile_.path(); }
    const ProfileFile& profile() const { return profile_; }

    // STARTCHECK (profile integers)
    int ThumbCtlCheck() const { return profile_.ReadInt("STARTCHECK", "THUMBCTL", 1); }
    int ThumbCtlVersionCheck() const { return profile_.ReadInt("STARTCHECK", "THUMBCTLVER", 1); }
    int ThumbCtlVersionHH() const { return profile_.ReadInt("STARTCHECK", "THUMBCTLVER_HH", 0); }
    int ThumbCtlVersionHL() const { return profile_.ReadInt("STARTCHECK", "THUMBCTLVER_HL", 0); }
    int ThumbCtlVersionLH() const { return profile_.ReadInt("STARTCHECK", "THUMBCTLVER_LH", 0); }
    int ThumbCtlVersionLL() const { return profile_.ReadInt("STARTCHECK", "THUMBCTLVER_LL", 0); }

    // DIALOG
    int DialogMode() const { return Number("DIALOG", "MODE", "0"); }
    void WriteDialogMode(int mode) const { WriteNumber("DIALOG", "MODE", mode); }

    // INTAKE
    bool IntakePairs() const { return Number("INTAKE", "PAIRS", "0") != 0; }
    void WriteIntakePairs(bool on) const { profile_.WriteText("INTAKE", "PAIRS", on ? "1" : "0"); }

    // EXTFILTER
    int ExtFilterEnable() const { return Number("EXTFILTER", "ENABLE", "0"); }
    void WriteExtFilterEnable(bool on) const { profile_.WriteText("EXTFILTER", "ENABLE", on ? "1" : "0"); }
    int ExtFilterCount() const { return Number("EXTFILTER", "COUNT", "0"); }
    void WriteExtFilterCount(int count) const { WriteNumber("EXTFILTER", "COUNT", count); }
    std::string ExtFilterPattern(int index) const { return profile_.ReadText("EXTFILTER", ExtKey(index), "0"); }
    bool WriteExtFilterPattern(int index, const std::string& pattern) const {
        return profile_.WriteText("EXTFILTER", ExtKey(index), pattern);
    }
    static std::string ExtKey(int index);
    // EXT00 … up to COUNT from one reading of the file, but none past the last key the file holds:
    // a hand-edited COUNT of two thousand million must not make hours of "0" patterns.
    std::vector<std::string> ExtFilterPatterns() const;

    // VIEWER
    int UseBrowser() const { return Number("VIEWER", "USEIE", "0"); }
    void WriteUseBrowser(int value) const { WriteNumber("VIEWER", "USEIE", value); }
    int DeleteThumbDb() const { return Number("VIEWER", "DELTHUMBDB", "0"); }
    void WriteDeleteThumbDb(int value) const { WriteNumber("VIEWER", "DELTHUMBDB", value); }
    std::string ThumbDbName() const { return profile_.ReadText("VIEWER", "THUMBDBNAME", "thumbs.db"); }

    // DIRECTORY
    int UseCurrentDirectory() const { return Number("DIRECTORY", "USECURRENT", "0"); }
    void WriteUseCurrentDirectory(int value) const { WriteNumber("DIRECTORY", "USECURRENT", value); }

    // EXPANDVIEW: the number of pictures side by side when comparing, 2 … 4; anything else is
    // brought into that range, text that is no number gives 2.
    int CompareCells() const;
    // XMP: the sidecar form a list's decision is written into, 0 … 2 (anything else reads as 0).
    int XmpSidecarForm() const;
    void WriteXmpSidecarForm(int form) const { WriteNumber("XMP", "SIDECAR", form); }

    // EXPANDVIEW: the enlarge window's outer rectangle in screen pixels.
    QRect ExpandViewRect() const;
    void WriteExpandViewRect(const QRect& outer) const;
    // Whether the shooting data and the histogram are drawn over the enlarge window's pictures.
    bool ExpandViewInfo() const { return Number("EXPANDVIEW", "INFO", "0") != 0; }
    void WriteExpandViewInfo(bool on) const { profile_.WriteText("EXPANDVIEW", "INFO", on ? "1" : "0"); }
    bool ExpandViewHistogram() const { return Number("EXPANDVIEW", "HISTOGRAM", "0") != 0; }
    void WriteExpandViewHistogram(bool on) const { profile_.WriteText("EXPANDVIEW", "HISTOGRAM", on ? "1" : "0"); }

private:
    int Number(std::string_view section, std::string_view key, std::string_view defaultText) const;
    void WriteNumber(std::string_view section, std::string_view key, int value) const;

    ProfileFile profile_;
};

} // namespace pelldrake
