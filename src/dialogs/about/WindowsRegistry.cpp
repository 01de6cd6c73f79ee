#include "WindowsRegistry.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

// The predefined keys are sign-extended 32-bit values: one rebuilt by zero-extending the number
// is another handle on 64-bit Windows.
HKEY windowsRootKey(std::uint32_t root) {
    return root == Registry::LocalMachine ? HKEY_LOCAL_MACHINE : nullptr;
}

namespace {

// Reads through the byte-string functions, as the system information tool's entries are read.
class WindowsRegistry : public Registry {
public:
    std::optional<Value> read(std::uint32_t root, const QString& key,
                              const QString& valueName) const override {
        HKEY opened = nullptr;
        const HKEY rootKey = windowsRootKey(root);
        if (!rootKey)
            return std::nullopt;
        const QByteArray keyName = key.toLocal8Bit();
        // Reading only: a standard user may not open these keys for writing.
        constexpr REGSAM access = KEY_READ;
        if (RegOpenKeyExA(rootKey, keyName.constData(), 0, access, &opened) != ERROR_SUCCESS)
            return std::nullopt;
        Value value;
        value.data = QByteArray(1024, '\0');
        DWORD type = 0;
        DWORD size = 1024;
        const QByteArray name = valueName.toLocal8Bit();
        const LONG status = RegQueryValueExA(opened, name.constData(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(value.data.data()), &size);
        RegCloseKey(opened);
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        value.type = type;
        value.byteCount = size;
        return value;
    }
};

} // namespace

std::unique_ptr<Registry> systemRegistry() {
    return std::make_unique<WindowsRegistry>();
}
#else
std::unique_ptr<Registry> systemRegistry() {
    return std::make_unique<NoRegistry>();
}
#endif
