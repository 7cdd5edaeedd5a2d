// SPDX-License-Identifier: GPL-3.0-or-later
// Saves to names that cannot become a profile: each ends with "unable to save file", and nothing
// that was there before is changed or left half-written.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "TachyonTest.h"

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every name below the folder with its bytes, so a change anywhere shows.
std::map<QString, QByteArray> Tree(const QString& folder) {
    std::map<QString, QByteArray> tree;
    QDir root(folder);
    for (const QFileInfo& entry : root.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString name = root.relativeFilePath(entry.filePath());
        if (entry.isDir()) {
            for (const auto& [inner, bytes] : Tree(entry.filePath())) tree[name + "/" + inner] = bytes;
            tree[name + "/"] = {};
        } else {
            tree[name] = Contents(entry.filePath());
        }
    }
    return tree;
}

}  // namespace

class SaveFailureTest : public TachyonTest {};

TEST_F(SaveFailureTest, NamesThatCannotBecomeAProfileChangeNothingOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old = "an older profile, kept byte for byte\n";
    // A folder named like a profile, holding a profile of its own.
    ASSERT_TRUE(QDir(dir.path()).mkpath("folder.xml"));
    Put(dir.filePath("folder.xml/inner.xml"), old);
    // A file where the name wants a folder.
    Put(dir.filePath("plain.txt"), old);

    const struct {
        const char* name;
        QString chosen;
    } cases[] = {
        {"a name that is a folder", dir.filePath("folder.xml")},
        {"a folder that does not exist", dir.filePath("missing/tune.xml")},
        {"a folder that is a file", dir.filePath("plain.txt/tune.xml")},
    };

    Start();
    for (const auto& c : cases) {
        const auto before = Tree(dir.path());
        prompts.messages.clear();
        prompts.saveFiles.push_back(c.chosen);

        EXPECT_EQ(Dlg().SaveProfile(), 3) << c.name;

        ASSERT_EQ(prompts.messages.size(), 1u) << c.name;
        EXPECT_EQ(prompts.messages[0].text, "unable to save file") << c.name;
        EXPECT_EQ(prompts.messages[0].caption, ApplicationName()) << c.name;
        EXPECT_EQ(Tree(dir.path()), before) << c.name;
    }
}
