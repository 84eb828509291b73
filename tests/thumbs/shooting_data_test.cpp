#include "support/library_images.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/shooting_data.h"
#include "thumbs/shooting_lines.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

TEST(ShootingLine, FieldsAsCamerasShowThemAndNothingForNonsense) {
    ShootingData data;
    data.camera = std::string("NIKON Z 6\0\0", 11);
    data.lens = "  NIKKOR Z 24-70mm f/4 S ";
    data.focalLength = "425/100";
    data.exposureTime = "4/10";
    data.fNumber = "28/10";
    data.iso = "6400 0";
    data.taken = "2026-05-03T14:22:31.250+09:00";
    EXPECT_EQ(ShootingLine("DSC_1.NEF", data).toStdString(),
              "DSC_1.NEF  NIKON Z 6  NIKKOR Z 24-70mm f/4 S  4.3mm  0.4 s  F2.8  ISO 6400  2026/05/03 14:22:31");

    const struct {
        const char* stored;
        const char* shown;
    } exposures[] = {{"10/5000", "1/500 s"}, {"1/3", "1/3 s"}, {"2/1", "2 s"}, {"25/10", "2.5 s"}, {"0/1", ""},
                     {"-1/60", ""},          {"1/0", ""},      {"x", ""}};
    for (const auto& exposure : exposures) {
        ShootingData only;
        only.exposureTime = exposure.stored;
        EXPECT_EQ(ShootingLine("a", only).toStdString(),
                  std::string("a") + (*exposure.shown ? "  " : "") + exposure.shown)
            << exposure.stored;
    }
    ShootingData unset;
    unset.taken = "0000:00:00 00:00:00";
    unset.iso = "1e30";
    unset.camera = "\t ";
    EXPECT_EQ(ShootingLine("a.jpg", unset).toStdString(), "a.jpg");
}

TEST(ShootingData, ReadFromHeifJpegXlAndXmp) {
    const ShootingData phone = ReadShootingData(PELLDRAKE_SOURCE_DIR "/tests/data/phone/IMG_5195.HEIC");
    EXPECT_EQ(ShootingLine("IMG_5195.HEIC", phone).toStdString(),
              "IMG_5195.HEIC  iPhone 11 Pro Max  iPhone 11 Pro Max back triple camera 4.25mm f/1.8  4.3mm  1/391 s  "
              "F1.8  ISO 32  2021/04/11 15:47:53");

    TempDir dir;
    const std::string jpeg = testing::WriteImageFile(dir.Native("a.jpg"), QSize(320, 240));
    {
        auto image = Exiv2::ImageFactory::open(jpeg, false);
        image->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Image.Model"] = std::string("X-T5");
        exif["Exif.Photo.FNumber"] = Exiv2::URational(56, 10);
        image->setExifData(exif);
        Exiv2::XmpData xmp;
        xmp["Xmp.exif.ExposureTime"] = std::string("1/250");
        xmp["Xmp.aux.Lens"] = std::string("XF33mmF1.4 R LM WR");
        image->setXmpData(xmp);
        image->writeMetadata();
    }
    EXPECT_EQ(ShootingLines::Read(jpeg).toStdString(), "a.jpg  X-T5  XF33mmF1.4 R LM WR  1/250 s  F5.6");

    // A JPEG XL file keeps the EXIF of the JPEG it was made from, in a box Exiv2 does not read.
    const std::string jxl = testing::JxlFrom(jpeg, dir.Native("a.jxl"));
    ASSERT_FALSE(jxl.empty());
    EXPECT_EQ(ShootingLines::Read(jxl).toStdString(), "a.jxl  X-T5  F5.6");
}

} // namespace
} // namespace pelldrake
