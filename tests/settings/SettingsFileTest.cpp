#include "SettingsFile.h"
#include "TempAppData.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#ifndef _WIN32
#include "FileSizeLimit.h"

#include <sys/stat.h>
#endif

namespace {

const StoredSettings sample{"http://a&b<c>d/sonaric", "Ann & <Bob>", QString(64, QChar('f')), true,
                            false};

// Seven CRLF lines, the texts escaped; every value reads back as it was, blanks and all.
TEST(SettingsFile, WritesSevenCrlfLinesAndReadsBackWhatItWrote) {
    TempAppData appData;
    ASSERT_EQ(SettingsFile::write(sample), std::nullopt);
    EXPECT_EQ(appData.settingsBytes(),
              "<settings>\r\n"
              "<servername>http://a&amp;b&lt;c&gt;d/sonaric</servername>\r\n"
              "<username>Ann &amp; &lt;Bob&gt;</username>\r\n"
              "<password>" +
                  QByteArray(64, 'f') +
                  "</password>\r\n"
                  "<autorefresh>1</autorefresh>\r\n"
                  "<autoplay>0</autoplay>\r\n"
                  "</settings>\r\n");
    for (const StoredSettings& s :
         {sample, StoredSettings{"", "", "", false, true},
          StoredSettings{QStringLiteral("http://ünï/cödé"), QStringLiteral("Żółw"), "", true, true},
          StoredSettings{"  http://blanks/  ", " ", "", false, false},
          StoredSettings{"\t", "\r\n", "", true, false}}) {
        ASSERT_EQ(SettingsFile::write(s), std::nullopt);
        EXPECT_EQ(SettingsFile::read(), s);
    }
    EXPECT_TRUE(appData.settingsBytes().contains("<password></password>\r\n"));
    // Replaced in one step: no temporary file is left beside it.
    EXPECT_EQ(QDir(SettingsFile::folderPath()).entryList(QDir::Files), QStringList{"settings.xml"});
}

TEST(SettingsFile, LocationFollowsAppDataThenXdg) {
    TempAppData appData;
    EXPECT_EQ(SettingsFile::filePath(), appData.path() + "/Windows Sonaric Client/settings.xml");
    qputenv("APPDATA", "");
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-here");
    EXPECT_EQ(SettingsFile::filePath(), "/tmp/xdg-here/Windows Sonaric Client/settings.xml");
    qputenv("XDG_CONFIG_HOME", oldXdg);
}

// A missing or ill-formed file is no settings; in a well-formed one, missing elements and odd
// options read as empty or off.
TEST(SettingsFile, ReadsWhatIsThereAndNothingElse) {
    TempAppData appData;
    EXPECT_EQ(SettingsFile::read(), std::nullopt);
    for (const char* bad : {"<settings><servername>x</servername>", ""}) {
        appData.writeSettings(bad);
        EXPECT_EQ(SettingsFile::read(), std::nullopt) << bad;
    }
    appData.writeSettings("<settings><servername>s</servername><username>u</username>"
                          "<password>p</password></settings>");
    EXPECT_EQ(SettingsFile::read(), (StoredSettings{"s", "u", "p", false, false}));

    appData.writeSettings("<options><servername>s</servername><autorefresh>1</autorefresh>"
                          "</options>");
    EXPECT_EQ(SettingsFile::read(), (StoredSettings{}));

    const struct {
        const char* text;
        bool on;
    } options[] = {{"1", true},    {"0", false},   {"2", true},      {"-1", true},
                   {"True", true}, {"tRUE", true}, {"false", false}, {"", false},
                   {"yes", false}, {"0.0", false}, {" 1 ", true}};
    for (const auto& o : options) {
        appData.writeSettings(QByteArray("<settings><autorefresh>") + o.text +
                              "</autorefresh><autoplay>" + o.text + "</autoplay></settings>");
        const auto read = SettingsFile::read();
        ASSERT_TRUE(read.has_value()) << o.text;
        EXPECT_EQ(read->autoRefresh, o.on) << o.text;
        EXPECT_EQ(read->autoPlay, o.on) << o.text;
        EXPECT_EQ(read->servername, "");
    }
}

// File modes and the file size limit are POSIX's; Windows keeps the file in the user's own
// profile folder.
#ifndef _WIN32
TEST(SettingsFile, IsOwnerOnlyAndStaysSo) {
    TempAppData appData;
    const auto ownerOnly =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    ASSERT_EQ(SettingsFile::write(sample), std::nullopt);
    EXPECT_EQ(QFile::permissions(SettingsFile::filePath()), ownerOnly);
    QFile::setPermissions(SettingsFile::filePath(),
                          ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_EQ(SettingsFile::write(sample), std::nullopt);
    EXPECT_EQ(QFile::permissions(SettingsFile::filePath()), ownerOnly);
}

// A write that fails half-way (here: the file size limit, which binds root too) must leave the
// previous file exactly as it was.
TEST(SettingsFile, AFailedWriteLeavesTheOldFileWhole) {
    TempAppData appData;
    ASSERT_EQ(SettingsFile::write(sample), std::nullopt);
    const QByteArray before = appData.settingsBytes();

    const std::optional<QString> failure = [] {
        const FileSizeLimit limit(20);
        return SettingsFile::write(StoredSettings{"http://new", "new", "", false, false});
    }();

    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_EQ(appData.settingsBytes(), before);
    EXPECT_EQ(QDir(SettingsFile::folderPath()).entryList(QDir::Files), QStringList{"settings.xml"});
}
#endif

// Whatever else stands where the file should be is no settings file: it is not waited on, not read
// without end, and left as it is; why it was not read is said in words.
TEST(SettingsFile, OnlyARegularFileOfBoundedSizeIsRead) {
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
        QString problem; // what the settings dialog then says
    };
    const QString notAFile = "It is not a regular file.";
    const Case cases[] = {
        {"folder", [](const QString& path) { return QDir().mkpath(path); }, notAFile},
        {"2 MB file",
         [](const QString& path) {
             QFile file(path);
             return file.open(QIODevice::WriteOnly) &&
                    file.write(QByteArray(2 * 1024 * 1024, ' ')) == 2 * 1024 * 1024;
         },
         "It is larger than 1 MB."},
        {"ill-formed",
         [](const QString& path) {
             QFile file(path);
             return file.open(QIODevice::WriteOnly) && file.write("<settings>") == 10;
         },
         "It is not a well-formed settings document."},
        {"missing", [](const QString&) { return true; }, QString()},
#ifndef _WIN32
        {"FIFO", [](const QString& path) { return ::mkfifo(QFile::encodeName(path), 0600) == 0; },
         notAFile},
        {"link to /dev/zero", [](const QString& path) { return QFile::link("/dev/zero", path); },
         notAFile},
#endif
    };
    for (const Case& c : cases) {
        TempAppData appData;
        ASSERT_TRUE(QDir().mkpath(SettingsFile::folderPath()));
        ASSERT_TRUE(c.make(SettingsFile::filePath())) << c.name;
        QElapsedTimer clock;
        clock.start();
        QString problem = "unchanged";
        EXPECT_EQ(SettingsFile::read(SettingsFile::filePath(), &problem), std::nullopt) << c.name;
        EXPECT_LT(clock.elapsed(), 2000) << c.name;
        EXPECT_EQ(problem, c.problem) << c.name;
    }
    // The largest readable file is read.
    TempAppData appData;
    QByteArray padded = SettingsFile::serialize(sample);
    padded.insert(padded.indexOf("</settings>"),
                  QByteArray(SettingsFile::MaximumBytes - padded.size(), ' '));
    appData.writeSettings(padded);
    ASSERT_TRUE(SettingsFile::read().has_value());
    EXPECT_EQ(SettingsFile::read()->username, sample.username);
}

TEST(SettingsFile, AFolderThatCannotBeCreatedIsReported) {
    TempAppData appData;
    QFile blocker(SettingsFile::folderPath());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::optional<QString> failure = SettingsFile::write(sample);
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->contains("Windows Sonaric Client"));
}

} // namespace
