#pragma once

#include <QString>
#include <string>

namespace pelldrake {

// What the camera recorded about a shot, as the file's metadata spells it: numbers as EXIF and XMP
// write them ("1/500", "4/1", "105/1", "2.8"), the date as EXIF ("2026:05:03 14:22:31") or XMP
// ("2026-05-03T14:22:31+09:00") writes it. Empty where the file says nothing.
struct ShootingData {
    std::string camera;
    std::string lens;
    std::string focalLength;  // millimetres
    std::string exposureTime; // seconds
    std::string fNumber;
    std::string iso;
    std::string taken;
};

// The line shown over a picture: the file's name, then camera, lens, focal length, exposure time,
// f-number, ISO and the date taken, two spaces apart, e.g. "IMG_0412.CR3  Canon EOS R6  RF24-105mm
// F4 L IS USM  105mm  1/500 s  F4  ISO 800  2026/05/03 14:22:31". A field the file lacks, or whose
// value makes no sense (a zero date, a negative time), is left out.
QString ShootingLine(const QString& fileName, const ShootingData& data);

} // namespace pelldrake
