// SPDX-License-Identifier: GPL-3.0-or-later
// Save and Load through the window: the dialogs' seam, the files on disk, the controls, and what
// the driver is (not) asked.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>

#include "ProfileFixture.h"
#include "profile/ProfileFormat.h"

namespace {

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs the body with file permissions in force, also for a test run as root: the real and
// effective user become "nobody" (so access checks agree) and root is restored from the saved id.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : m_wasRoot(geteuid() == 0) {
        if (m_wasRoot) m_ok = setresuid(65534, 65534, 0) == 0;
    }
    ~AsOrdinaryUser() {
        if (m_wasRoot && m_ok) {
            EXPECT_EQ(setresuid(0, 0, 0), 0);
        }
    }
    bool ok() const { return !m_wasRoot || m_ok; }

private:
    bool m_wasRoot;
    bool m_ok = false;
};

// Every write that reaches past `bytes` in any file fails, like a disk that fills up midway.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    sighandler_t m_oldHandler;
    bool m_ok = false;
};

}  // namespace

// --- Save ---------------------------------------------------------------------------------------

TEST_F(ProfileTest, SaveOfKnownControlsMatchesTheGoldenFileByteForByte) {
    StartOn73BF();
    SetKnownControls();
    // An older, longer profile is replaced entirely.
    const QString path = PathIn("tune.xml");
    WriteBytes(path, QByteArray(5000, 'x'));
    ClearTrace();

    EXPECT_EQ(Save(path), 0);

    EXPECT_EQ(ReadBytes(path), GoldenProfile());
    EXPECT_EQ(FilesIn(dir.path()), QStringList{"tune.xml"});
    EXPECT_TRUE(prompts.messages.empty());
    // The PNP string is the only thing asked of the driver.
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find("PNPString"), std::string::npos) << calls[0];

    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(prompts.saveRequests[0].filter, "XML file (*.xml);;All Files (*.*)");
    EXPECT_EQ(prompts.saveRequests[0].defaultSuffix, "xml");
    EXPECT_TRUE(prompts.saveRequests[0].confirmOverwrite);

    // Unchanged controls and the same GPU give the same bytes again.
    EXPECT_EQ(Save(PathIn("again.xml")), 0);
    EXPECT_EQ(ReadBytes(PathIn("again.xml")), GoldenProfile());
}

TEST_F(ProfileTest, SaveAppendsXmlUnlessTheExtensionIsExactlyXml) {
    Start();
    EXPECT_EQ(Save(PathIn("tune.txt")), 0);
    EXPECT_EQ(Save(PathIn("other.XML")), 0);
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{"other.XML", "tune.txt.xml"}));
}

TEST_F(ProfileTest, CancelledDialogsChangeNothing) {
    Start();
    SetKnownControls();
    const ControlState before = Controls();
    ClearTrace();

    EXPECT_EQ(Dlg().SaveProfile(), 0);
    EXPECT_EQ(Dlg().LoadProfile(), 0);

    EXPECT_TRUE(FilesIn(dir.path()).isEmpty());
    EXPECT_EQ(Controls(), before);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(Calls().empty());
    ASSERT_EQ(prompts.openRequests.size(), 1u);
    EXPECT_EQ(prompts.openRequests[0].filter, "XML file (*.xml);;All Files (*.*)");
    EXPECT_TRUE(prompts.openRequests[0].defaultSuffix.isEmpty());
}

TEST_F(ProfileTest, PowerSlotHoldsTheOffsetAndLoadsBackAsShown) {
    Start();
    struct Case {
        const char* shown;
        const char* inFile;
        const char* afterLoad;
    } cases[] = {
        {"110", "10", "110"},
        {"95", "-5", "95"},
        {"100", "0", "100"},
        {"", "-100", "0"},
        {"abc", "-100", "0"},
        // Extremes saturate instead of wrapping round to the opposite sign.
        {"-2147483648", "-2147483648", "-2147483548"},
        {"99999999999", "2147483547", "2147483647"},
    };
    for (const Case& c : cases) {
        SetText(kTuningPage, 1012, c.shown);
        const QString path = PathIn("power.xml");
        ASSERT_EQ(Save(path), 0);
        const ProfileReading r = ReadProfileValues(ProfileTextFromBytes(ReadBytes(path)));
        EXPECT_EQ(r.powerOffset, c.inFile) << c.shown;
        SetText(kTuningPage, 1012, "7");
        ASSERT_EQ(Load(path), 0);
        EXPECT_EQ(Text(kTuningPage, 1012), c.afterLoad) << c.shown;
    }
}

TEST_F(ProfileTest, EmptyEditsSaveEmptyValuesThatLoadAsZero) {
    Start();
    SetKnownControls();
    SetText(kTuningPage, 1008, "");
    SetText(kFanPage, 1031, "");
    const QString path = PathIn("empty.xml");
    ASSERT_EQ(Save(path), 0);
    const QList<QByteArray> lines = ReadBytes(path).split('\n');
    EXPECT_EQ(lines[20], R"(                <STATE ID="4" Enabled="False" Value=""/>)");
    EXPECT_EQ(lines[59], R"(                <STATE ID="9" Enabled="False" Value=""/>)");

    Scramble();
    ASSERT_EQ(Load(path), 0);
    EXPECT_EQ(Text(kTuningPage, 1008), "0");
    EXPECT_EQ(Text(kFanPage, 1031), "0");
    EXPECT_EQ(Text(kFanPage, 1032), "90");
}

TEST_F(ProfileTest, WithoutASelectedGpuTheIdsAreEmpty) {
    Start();
    Dlg().m_gpu.reset();
    ClearTrace();
    const QString path = PathIn("nogpu.xml");
    ASSERT_EQ(Save(path), 0);
    EXPECT_EQ(ReadBytes(path).split('\n')[2], R"(    <GPU DevID="" RevID="">)");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ProfileTest, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
    StartOn73BF();
    SetKnownControls();
    const QByteArray old = "old profile, kept byte for byte\n";

    {
        // A write that fails midway: the disk takes the first kilobyte only.
        const QString path = PathIn("full.xml");
        WriteBytes(path, old);
        int result = 0;
        {
            FileSizeLimit limit(1024);
            ASSERT_TRUE(limit.ok());
            result = Save(path);
        }
        EXPECT_EQ(result, 3);
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_EQ(FilesIn(dir.path()), QStringList{"full.xml"});
    }

    {
        // A read-only profile in a folder anyone may write.
        const QString folder = PathIn("open");
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString path = folder + "/tune.xml";
        WriteBytes(path, old);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther);
        int result = 0;
        {
            AsOrdinaryUser user;
            ASSERT_TRUE(user.ok());
            result = Save(path);
        }
        EXPECT_EQ(result, 3);
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_EQ(FilesIn(folder), QStringList{"tune.xml"});
    }

    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const RecordedMessage& m : prompts.messages) {
        EXPECT_EQ(m.text, "unable to save file");
        EXPECT_EQ(m.caption, ApplicationName());
        EXPECT_EQ(m.buttons, PromptButtons::Ok);
    }
}

namespace {

constexpr QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                               QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions kWritableByAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
constexpr QFile::Permissions kReadOnlyForOthers = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;

struct InPlaceCase {
    const char* name;
    QFile::Permissions folder;
    bool sticky;  // a shared folder: anyone may add, only owners may replace or remove
    bool exists;
    QFile::Permissions file;
    bool saversOwn;  // else the profile belongs to the one running the tests
    bool saved;
};

struct FileIdentity {
    uint owner;
    QFile::Permissions permissions;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const QString& path) {
    const QFileInfo info(path);
    return {info.ownerId(), info.permissions()};
}

}  // namespace

class SaveInPlace : public ProfileTest {
protected:
    // Saves into a folder that refuses the file beside the target that a safe replace needs, as
    // an ordinary user (the folder and the file belong to the one running the tests, or to root).
    void Run(const InPlaceCase& c) {
        SCOPED_TRACE(c.name);
        // Longer than a profile, so that a tail left behind shows.
        const QByteArray old = QByteArray("old profile, kept byte for byte\n").repeated(200);
        const QString folder = PathIn(c.name);
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString path = folder + "/tune.xml";
        if (c.exists) {
            WriteBytes(path, old);
            ASSERT_TRUE(QFile::setPermissions(path, c.file));
            if (c.saversOwn && geteuid() == 0) {
                ASSERT_EQ(chown(path.toLocal8Bit().constData(), 65534, 65534), 0);
            }
        }
        ASSERT_TRUE(QFile::setPermissions(dir.path(), kReadOnlyFolder | QFile::WriteOwner));
        ASSERT_TRUE(QFile::setPermissions(folder, c.folder));
        if (c.sticky) {
            ASSERT_EQ(chmod(folder.toLocal8Bit().constData(), 01777), 0);
        }
        const FileIdentity before = c.exists ? IdentityOf(path) : FileIdentity{};
        prompts.messages.clear();

        int result = 0;
        {
            AsOrdinaryUser user;
            ASSERT_TRUE(user.ok());
            result = Save(path);
        }
        ASSERT_TRUE(QFile::setPermissions(folder, kReadOnlyFolder | QFile::WriteOwner));
        if (c.saved) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(prompts.messages.empty());
            EXPECT_EQ(ReadBytes(path), GoldenProfile());
            EXPECT_EQ(IdentityOf(path), before) << "the profile keeps its owner and mode";
        } else {
            EXPECT_EQ(result, 3);
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text, "unable to save file");
            if (c.exists) {
                EXPECT_EQ(ReadBytes(path), old);
            }
        }
        EXPECT_EQ(FilesIn(folder), c.exists ? QStringList{"tune.xml"} : QStringList{})
            << "nothing left beside it";
    }
};

TEST_F(SaveInPlace, AFolderTheUserCannotWriteTakesAWritableProfileInPlace) {
    StartOn73BF();
    SetKnownControls();
    const InPlaceCase cases[] = {
        {"writable file", kReadOnlyFolder, false, true, kWritableByAll, false, true},
        {"the saver's own file", kReadOnlyFolder, false, true, QFile::ReadOwner | QFile::WriteOwner, true,
         true},
        {"read-only file", kReadOnlyFolder, false, true, kReadOnlyForOthers & ~QFile::WriteOwner, false,
         false},
        {"no file yet", kReadOnlyFolder, false, false, {}, false, false},
    };
    for (const InPlaceCase& c : cases) Run(c);
}

TEST_F(SaveInPlace, AProfileOfAnotherUserInASharedFolderIsWrittenInPlaceWhenItMayBe) {
    if (geteuid() != 0) GTEST_SKIP() << "a profile of another user needs root to set up";
    StartOn73BF();
    SetKnownControls();
    // The profiles belong to root; the save runs as an ordinary user.
    const InPlaceCase cases[] = {
        {"shared writable file", kWritableByAll | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther, true,
         true, kWritableByAll, false, true},
        {"shared read-only file", kWritableByAll | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther, true,
         true, kReadOnlyForOthers, false, false},
    };
    for (const InPlaceCase& c : cases) Run(c);
}

// --- Load ---------------------------------------------------------------------------------------

TEST_F(ProfileTest, SaveThenLoadRestoresEveryControl) {
    for (const bool zeroRpm : {true, false}) {
        for (const int timing : {0, 2}) {
            Start();
            SetKnownControls();
            TachyonTest::SetChecked(kFanPage, 1035, zeroRpm);
            Dlg().Combo(kTuningPage, 1013)->setCurrentIndex(timing);
            SetText(kTuningPage, 1009, "123");
            ControlState expected = Controls();
            expected[{kTuningPage, 1007}] = "800";  // re-formatted as a number
            expected[{kTuningPage, 1009}] = "0";    // the memory second value
            // Through the Save and Load buttons, as the user does it.
            const QString path = PathIn("trip.xml");
            prompts.saveFiles.push_back(path);
            Press(1005);
            ASSERT_TRUE(QFile::exists(path));

            Scramble();
            ClearTrace();
            prompts.openFiles.push_back(path);
            Press(1004);

            const ControlState loaded = Controls();
            for (const auto& [key, text] : expected) {
                EXPECT_EQ(loaded.at(key), text) << Describe(key) << " zeroRpm " << zeroRpm << " timing " << timing;
            }
            EXPECT_TRUE(Calls().empty()) << "loading asked the driver";
            EXPECT_TRUE(prompts.messages.empty());
        }
    }
}

TEST_F(ProfileTest, ProfileOfAnotherGpuLoadsSilently) {
    Start();  // DEV_744C, the golden file was made on DEV_73BF
    FillTimingList();
    Scramble();
    ClearTrace();
    EXPECT_EQ(Load(GoldenPath()), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Text(kTuningPage, 1007), "800");
    EXPECT_EQ(Text(kTuningPage, 1012), "110");
    EXPECT_EQ(Selected(kTuningPage, 1013), "Fast Timing");
    EXPECT_TRUE(Checked(kFanPage, 1035));
    EXPECT_EQ(Text(kFanPage, 1031), "100");
}

// One change to the golden text (the first `from` after `anchor`) and the one control that shows
// it; a null expectation means the control keeps what it showed before the load.
TEST_F(ProfileTest, ValuesAreConvertedLikeEveryEditAndMissingOnesLeaveTheirControl) {
    struct Case {
        const char* name;
        const char* anchor;
        const char* from;
        const char* to;
        ControlKey control;
        const char* expected;
        bool fileEndsAfterChange = false;
    } cases[] = {
        {"negative power", R"(FEATURE ID="3")", R"(Value="10")", R"(Value="-5")", {kTuningPage, 1012}, "95"},
        {"space before equals", R"(FEATURE ID="12")", R"(Value="1150")", R"(Value ="1150")", {kTuningPage, 1011}, "0"},
        {"space after equals", R"(FEATURE ID="12")", R"(Value="1150")", R"(Value= "1150")", {kTuningPage, 1011}, "0"},
        {"digits then junk", R"(FEATURE ID="5")", R"(Value="2600")", R"(Value="26x00")", {kTuningPage, 1010}, "26"},
        {"blanks and sign", R"(FEATURE ID="26")", R"(Value="2500")", R"(Value="  +2400")", {kTuningPage, 1008}, "2400"},
        {"beyond 32 bits", R"(FEATURE ID="26")", R"(Value="2500")", R"(Value="99999999999")", {kTuningPage, 1008},
         "2147483647"},
        {"only the value counts for zero rpm", R"(FEATURE ID="18")", R"(Value="1")", R"(Value="0")", {kFanPage, 1035},
         "unchecked"},
        {"timing the list lacks", R"(FEATURE ID="17")", R"(Value="1")", R"(Value="9")", {kTuningPage, 1013}, nullptr},
        {"voltage marker missing", "", R"(FEATURE ID="12")", R"(FEATURE ID="99")", {kTuningPage, 1011}, nullptr},
        {"engine state marker missing", R"(FEATURE ID="26")", R"(STATE ID="3")", R"(STATE ID="x")",
         {kTuningPage, 1007}, "35"},  // the next STATE ID="3" is the fan curve's, as the search goes
        {"fan curve marker missing", "", R"(FEATURE ID="22")", R"(FEATURE ID="99")", {kFanPage, 1024}, nullptr},
        {"no closing quote", R"(STATE ID="9")", R"(Value="100"/>)", R"(Value="100)", {kFanPage, 1031}, nullptr, true},
    };
    Start();
    for (const Case& c : cases) {
        QByteArray bytes = GoldenProfile();
        const qsizetype at = bytes.indexOf(c.from, bytes.indexOf(c.anchor));
        ASSERT_GE(at, 0) << c.name;
        bytes.replace(at, qstrlen(c.from), c.to);
        if (c.fileEndsAfterChange) bytes.truncate(at + qstrlen(c.to));
        const QString path = PathIn("case.xml");
        WriteBytes(path, bytes);

        FillTimingList();
        Scramble();
        Dlg().Combo(kTuningPage, 1013)->setCurrentIndex(2);
        TachyonTest::SetChecked(kFanPage, 1035, true);
        const ControlState before = Controls();
        ASSERT_EQ(Load(path), 0) << c.name;

        const ControlState loaded = Controls();
        EXPECT_EQ(loaded.at(c.control), c.expected ? QString(c.expected) : before.at(c.control)) << c.name;
        // The rest of the file still loads.
        if (c.control == ControlKey{kTuningPage, 1012}) {
            EXPECT_EQ(Text(kTuningPage, 1011), "1150") << c.name;
        } else {
            EXPECT_EQ(Text(kTuningPage, 1012), "110") << c.name;
        }
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ProfileTest, TextAfterAZeroByteIsNotRead) {
    Start();
    FillTimingList();
    Scramble();
    const ControlState before = Controls();
    QByteArray bytes = GoldenProfile();
    bytes.insert(bytes.indexOf(R"(<FEATURE ID="26")"), '\0');
    WriteBytes(PathIn("zero.xml"), bytes);

    ASSERT_EQ(Load(PathIn("zero.xml")), 0);

    ControlState expected = before;
    expected[{kTuningPage, 1012}] = "110";
    EXPECT_EQ(Controls(), expected);
}

TEST_F(ProfileTest, ExactlyTheSizeLimitIsAccepted) {
    Start();
    QByteArray bytes = GoldenProfile();
    bytes.append(QByteArray(kMaxProfileBytes - bytes.size(), ' '));
    ASSERT_EQ(bytes.size(), 1048576);
    WriteBytes(PathIn("max.xml"), bytes);
    SetText(kTuningPage, 1007, "1");
    EXPECT_EQ(Load(PathIn("max.xml")), 0);
    EXPECT_EQ(Text(kTuningPage, 1007), "800");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ProfileTest, RefusedFilesChangeNoControl) {
    const QByteArray golden = GoldenProfile();
    QByteArray singleQuoted = golden;
    singleQuoted.replace(R"(version="1.0" encoding="UTF-8")", "version='1.0' encoding='UTF-8'");
    QByteArray otherSpacing = golden;
    otherSpacing.replace(R"(version="1.0" encoding="UTF-8")", R"(version = "1.0" encoding = "UTF-8")");
    const QByteArray tooLarge = golden + QByteArray(kMaxProfileBytes + 1 - golden.size(), ' ');
    const QByteArray noFeatures = R"(<?xml version="1.0" encoding="UTF-8"?><SYSTEM><A Value="5"/></SYSTEM>)";

    struct Case {
        const char* name;
        std::optional<QByteArray> content;  // none: the file does not exist
        const char* message;
    } cases[] = {
        {"no declaration", golden.mid(golden.indexOf('\n') + 1), "not supported"},
        {"single quotes", singleQuoted, "not supported"},
        {"other spacing", otherSpacing, "not supported"},
        {"empty", QByteArray(), "not supported"},
        {"zero first", QByteArray(1, '\0') + golden, "not supported"},
        {"no profile features", noFeatures, "not supported"},
        {"one byte too large", tooLarge, "maximum file size 1024kB"},
        {"missing", std::nullopt, "unable to open file"},
    };

    Start();
    FillTimingList();
    Scramble();
    const ControlState before = Controls();
    for (const Case& c : cases) {
        const QString path = PathIn(QString("refused-%1.xml").arg(c.name));
        if (c.content) WriteBytes(path, *c.content);
        prompts.messages.clear();
        ClearTrace();

        EXPECT_EQ(Load(path), 3) << c.name;

        ASSERT_EQ(prompts.messages.size(), 1u) << c.name;
        EXPECT_EQ(prompts.messages[0].text, c.message) << c.name;
        EXPECT_EQ(prompts.messages[0].caption, ApplicationName());
        EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::Ok);
        EXPECT_EQ(Controls(), before) << c.name;
        EXPECT_TRUE(Calls().empty()) << c.name;
    }
}
