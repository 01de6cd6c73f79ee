// Feeds arbitrary bytes to the settings file reader, and checks that whatever it reads is
// written and read back unchanged.
#include "SettingsFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<StoredSettings> read = SettingsFile::parse(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!read)
        return 0;
    // Text that XML cannot hold (control characters) cannot round-trip; everything else must.
    const QString all = read->servername + read->username + read->passwordDigest;
    for (QChar c : all)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return 0;
    const std::optional<StoredSettings> again = SettingsFile::parse(SettingsFile::serialize(*read));
    if (!again || *again != *read)
        __builtin_trap();
    return 0;
}
