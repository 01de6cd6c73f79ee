#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The few registry reads the About dialog makes. Where there is no registry, nothing is found.
class Registry {
public:
    static constexpr std::uint32_t LocalMachine = 0x80000002;
    static constexpr std::uint32_t StringValue = 1;
    static constexpr std::uint32_t NumberValue = 4;

    struct Value {
        std::uint32_t type = 0;
        QByteArray data;             // as read into a 1024-byte buffer
        std::uint32_t byteCount = 0; // as the registry reports it
    };

    virtual ~Registry() = default;
    virtual std::optional<Value> read(std::uint32_t root, const QString& key,
                                      const QString& valueName) const = 0;
};

// A system without a registry.
class NoRegistry : public Registry {
public:
    std::optional<Value> read(std::uint32_t, const QString&, const QString&) const override {
        return std::nullopt;
    }
};
