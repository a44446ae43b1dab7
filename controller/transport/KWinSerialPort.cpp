#include "transport/KWinSerialPort.h"

#include "transport/ComPortEnumeration.h"
#include "transport/SerialDevice.h"

#include <algorithm>
#include <mutex>

namespace tarvex {

// One port of the table: its index, its name and its device while open stay together, so
// that a refreshed table cannot pair a transport with another port's device.
struct KWinSerialPort::PortEntry {
    int index = -1;
    std::string name;
    std::shared_ptr<SerialDevice> device;
};

namespace {

struct PortTable {
    std::mutex mutex;
    std::vector<std::shared_ptr<KWinSerialPort::PortEntry>> entries;
};

PortTable& Table() {
    static PortTable table;
    return table;
}

// Caller holds the table lock.
void Rebuild(PortTable& table, const std::vector<std::string>& names) {
    std::vector<std::shared_ptr<KWinSerialPort::PortEntry>> entries;
    for (const auto& name : names) {
        std::shared_ptr<KWinSerialPort::PortEntry> entry;
        for (const auto& old : table.entries)
            if (old->name == name)
                entry = old;
        if (!entry) {
            entry = std::make_shared<KWinSerialPort::PortEntry>();
            entry->name = name;
        }
        entry->index = static_cast<int>(entries.size());
        entries.push_back(std::move(entry));
    }
    // A port gone from the table is closed with it.
    for (const auto& old : table.entries) {
        if (std::find(entries.begin(), entries.end(), old) == entries.end()) {
            old->device.reset();
            old->index = -1;
        }
    }
    table.entries = std::move(entries);
}

std::shared_ptr<SerialDevice> DeviceOf(const std::shared_ptr<KWinSerialPort::PortEntry>& entry) {
    if (!entry)
        return nullptr;
    std::lock_guard lock(Table().mutex);
    return entry->device;
}

} // namespace

KWinSerialPort::~KWinSerialPort() {
    Close();
}

std::size_t KWinSerialPort::RefreshPortTable() {
    std::vector<std::string> names;
    for (auto& port : EnumerateComPorts())
        names.push_back(std::move(port.name));
    SetPortTable(names);
    return names.size();
}

void KWinSerialPort::SetPortTable(const std::vector<std::string>& names) {
    PortTable& table = Table();
    std::lock_guard lock(table.mutex);
    Rebuild(table, names);
}

std::vector<std::string> KWinSerialPort::PortNames() {
    PortTable& table = Table();
    std::lock_guard lock(table.mutex);
    std::vector<std::string> names;
    for (const auto& entry : table.entries)
        names.push_back(entry->name);
    return names;
}

bool KWinSerialPort::Open(int index, std::uint32_t baud) {
    PortTable& table = Table();
    bool empty = false;
    {
        std::lock_guard lock(table.mutex);
        empty = table.entries.empty();
    }
    if (empty)
        RefreshPortTable();

    std::shared_ptr<PortEntry> entry;
    {
        std::lock_guard lock(table.mutex);
        if (index < 0 || static_cast<std::size_t>(index) >= table.entries.size())
            return false;
        entry = table.entries[static_cast<std::size_t>(index)];
        entry->device.reset();
        if (entry_ && entry_ != entry)
            entry_->device.reset();
    }

    std::shared_ptr<SerialDevice> device = OpenSerialDevice(entry->name);
    if (!device)
        return false;
    // The driver's queue sizes and the event character have no equivalent here; the line
    // itself is 8N1 without flow control.
    SerialLineSettings line;
    line.baud = baud;
    line.dataBits = 8;
    line.parity = 'N';
    line.stopBits = 1;
    line.rtsCtsFlow = false;
    if (!device->Configure(line))
        return false;

    std::lock_guard lock(table.mutex);
    entry->device = std::move(device);
    entry_ = std::move(entry);
    index_ = index;
    timeouts_ = CommTimeouts{};
    return true;
}

bool KWinSerialPort::IsOpen() const {
    return DeviceOf(entry_) != nullptr;
}

void KWinSerialPort::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    timeouts_ = CommTimeouts::ForReadWrite(readMs, writeMs);
}

void KWinSerialPort::Close() {
    if (!entry_)
        return;
    std::lock_guard lock(Table().mutex);
    entry_->device.reset();
}

std::size_t KWinSerialPort::SendByteList(const std::uint8_t* bytes, std::size_t count) {
    auto device = DeviceOf(entry_);
    if (!device)
        return 0;
    return device->Write(bytes, count, timeouts_.WriteLimitMs(count));
}

std::size_t KWinSerialPort::ReadByteList(std::uint8_t* bytes, std::size_t count) {
    auto device = DeviceOf(entry_);
    if (!device)
        return 0;
    // One read bounded as a whole by multiplier * count + constant, and between two bytes by
    // the interval.
    const auto total =
        static_cast<std::uint32_t>(timeouts_.readMultiplier * count + timeouts_.readConstant);
    return device->Read(bytes, count, SerialReadLimits{0, timeouts_.readInterval, total});
}

} // namespace tarvex
