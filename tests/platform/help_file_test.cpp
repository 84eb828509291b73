#include "platform/help_file.h"
#include "resources/control_ids.h"
#include "resources/dialog_template.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

TEST(HelpFile, LivesBesideTheProgramWithTheSameBaseName) {
    EXPECT_EQ(HelpFile::PathFor("/opt/p/pelldrake"), "/opt/p/pelldrake.html");
    EXPECT_EQ(HelpFile::PathFor("/opt/p.d/sorter.bin"), "/opt/p.d/sorter.html");
}

TEST(HelpFile, TopicRunsFromTheHeadingAfterTheAnchorToTheNextHeading) {
    TempDir dir;
    dir.Write("h.html", "<html><body><a id=\"1\"></a><a id=\"2\"></a><h3>Both</h3><p>shared</p>"
                        "<a id=\"3\"></a><h2>Third</h2><p>last</p></body></html>");
    const HelpFile help(dir.FilePath("h.html"));
    EXPECT_EQ(help.Topic("1"), "<h3>Both</h3><p>shared</p>");
    EXPECT_EQ(help.Topic("2"), help.Topic("1"));
    EXPECT_EQ(help.Topic("3"), "<h2>Third</h2><p>last</p>");
    EXPECT_EQ(help.Topic("4"), "");
    EXPECT_EQ(HelpFile(dir.FilePath("missing.html")).Topic("1"), "");
}

TEST(HelpFile, ShippedHelpExplainsEveryControlOfTheBoard) {
    const HelpFile help(QStringLiteral(PELLDRAKE_SOURCE_DIR "/src/resources/help/pelldrake.html"));
    EXPECT_FALSE(help.Topic("board").isEmpty());
    EXPECT_FALSE(help.Topic("keys").isEmpty());
    for (const ControlTemplate& control : BoardTemplate(LayoutMode::Small).controls) {
        if (control.kind == ControlKind::Line || control.kind == ControlKind::Marker)
            continue;
        EXPECT_FALSE(help.Topic(QString::number(control.id)).isEmpty()) << control.id;
    }
}

} // namespace
} // namespace pelldrake
