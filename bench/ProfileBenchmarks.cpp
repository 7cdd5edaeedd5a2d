// SPDX-License-Identifier: GPL-3.0-or-later
// Save and Load through their buttons' operations, with files in a private temporary folder, and
// the profile reader alone on hostile text of growing size, to show its cost per byte stays flat.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "BenchSession.h"
#include "profile/ProfileFormat.h"
#include "ui/CTachyonDlg.h"

namespace {

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A file built to make every search of the reader as slow as it can be: a body of near misses of
// each marker (the declaration with one wrong first letter, feature and state markers cut one
// character short, the keyword without its last letter), then the declaration and all seven
// feature markers and the state marker at the very end, without any value, and zero bytes up to
// the size. Every marker search runs through the whole body, and the text ends at the first zero
// byte, just before the end of the file.
QByteArray HostileProfile(qsizetype size) {
    const QByteArray unit = R"(<FEATURE ID="2"/><STATE ID="4"/> Valu Xml version="1.0" encoding="UTF-8")"
                            "\n";
    const QByteArray tail =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<FEATURE ID="3"><FEATURE ID="26"><STATE ID="3"><FEATURE ID="12"><FEATURE ID="5">)"
        R"(<FEATURE ID="17"><FEATURE ID="18"><FEATURE ID="22">)";
    constexpr qsizetype kZeroBytes = 16;
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() + unit.size() + tail.size() + kZeroBytes <= size) bytes += unit;
    bytes += QByteArray(size - bytes.size() - tail.size() - kZeroBytes, ' ');
    bytes += tail;
    bytes += QByteArray(kZeroBytes, '\0');
    return bytes;
}

void Save(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    session.Answers().file = Folder().filePath(QStringLiteral("saved.xml"));
    const int messagesBefore = session.Answers().messages;
    for (auto _ : state) session.Window().SaveProfile();
    if (session.Answers().messages != messagesBefore) state.SkipWithError("Save reported a failure");
}

void LoadNormal(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    const QString path = Folder().filePath(QStringLiteral("normal.xml"));
    session.Answers().file = path;
    if (session.Window().SaveProfile() != 0) {
        state.SkipWithError("the normal profile could not be saved");
        return;
    }
    const int messagesBefore = session.Answers().messages;
    for (auto _ : state) session.Window().LoadProfile();
    if (session.Answers().messages != messagesBefore) state.SkipWithError("Load reported a failure");
}

void LoadHostile(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    const QString path = Folder().filePath(QStringLiteral("hostile.xml"));
    if (!WriteFile(path, HostileProfile(state.range(0)))) {
        state.SkipWithError("the hostile profile could not be written");
        return;
    }
    session.Answers().file = path;
    const int messagesBefore = session.Answers().messages;
    for (auto _ : state) session.Window().LoadProfile();
    // Every marker is there, so the file counts as a profile and is searched through; with no
    // value in it, no control changes and nothing is reported.
    if (session.Answers().messages != messagesBefore) state.SkipWithError("the hostile profile was refused");
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The reader without the file and the controls: bytes to text, the declaration check and every
// marker search. Sizes beyond the Load limit show the cost per byte stays the same.
void ReadHostile(benchmark::State& state) {
    const QByteArray bytes = HostileProfile(state.range(0));
    for (auto _ : state) {
        const QString text = ProfileTextFromBytes(bytes);
        benchmark::DoNotOptimize(HasProfileDeclaration(text));
        ProfileReading reading = ReadProfileValues(text);
        benchmark::DoNotOptimize(reading);
        if (reading.featuresFound != 7) state.SkipWithError("the hostile text lost its markers");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Save)->Name("Save")->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadNormal)->Name("Load/normal")->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadHostile)->Name("Load/hostile")->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadHostile)
    ->Name("Reader/hostile")
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);
