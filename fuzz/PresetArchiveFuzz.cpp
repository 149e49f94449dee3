// Feeds arbitrary bytes to the preset archive reader, as a library and as one record.
// Whatever it accepts must survive writing and reading again: the second archive must be
// byte for byte the first (bytes, not operator==, so a NaN field still compares).

#include "presets/PresetArchive.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void roundTripBroke(const char* what, const QString& error)
{
    std::fprintf(stderr, "%s: the re-archived data no longer reads back the same%s%s\n", what,
        error.isEmpty() ? "" : ": ", qPrintable(error));
    std::abort();
}

void checkLibrary(const QByteArray& data)
{
    const quillum::Result<quillum::PresetList> first = quillum::unarchivePresetLibrary(data);
    if (!first)
        return;
    const QByteArray archived = quillum::archivedPresetLibrary(first.value());
    const quillum::Result<quillum::PresetList> second = quillum::unarchivePresetLibrary(archived);
    if (!second)
        roundTripBroke("library", second.error());
    if (quillum::archivedPresetLibrary(second.value()) != archived)
        roundTripBroke("library", {});
}

void checkRecord(const QByteArray& data)
{
    const quillum::Result<quillum::ZentFullPresetRec> first = quillum::unarchivePreset(data);
    if (!first)
        return;
    const QByteArray archived = quillum::archivedPreset(first.value());
    const quillum::Result<quillum::ZentFullPresetRec> second = quillum::unarchivePreset(archived);
    if (!second)
        roundTripBroke("record", second.error());
    if (quillum::archivedPreset(second.value()) != archived)
        roundTripBroke("record", {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    // No copy: the reader keeps nothing of the bytes beyond the call.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    checkLibrary(data);
    checkRecord(data);
    return 0;
}
