// A firmware model of the optical drive: what it answers to the commands of
// the update. Independent of any transport, so that the simulated machine and
// other front ends present the same drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simdrive {

enum class Direction { None, In, Out };

struct Answer {
    uint8_t status = 0;                 // SCSI status; 0 = GOOD
    std::vector<uint8_t> sense;         // fixed-format sense data, empty for none
    uint32_t transferred = 0;           // data bytes moved
};

struct Setup {
    std::string vendor = "VARNOLT";     // INQUIRY vendor, padded to 8
    std::string product = "Optical Drive";  // INQUIRY product, padded to 16
    std::string revision = "KT11";      // revision of the running firmware
    std::string firmwareVendor = "TOLVANEK";
    std::string firmwareProduct = "BD-RE KT72M";
    // Tray: TEST UNIT READY reports the open tray on this poll after the
    // eject (1 = the first); 0 = never.
    int trayPollsUntilOpen = 1;
    // Flashing: virtual milliseconds from the commit to the reset.
    uint64_t flashDurationMs = 4000;
    // The progress count reached at the end of the flashing.
    uint32_t flashFinalCount = 0x200000;
    // Every n-th poll while flashing answers a status that matches neither
    // pattern (NOT READY 04/07); 0 = never.
    uint32_t flashNoiseEvery = 0;
    bool flashNeverResets = false;
    // The drive resets but keeps running its old firmware.
    bool flashKeepsOldFirmware = false;
    // READ BUFFER of the firmware fails after the flashing.
    bool readBackFails = false;
};

class Drive {
public:
    explicit Drive(const Setup& setup);

    // Executes one command at virtual time nowMs.
    Answer Execute(const uint8_t* cdb, uint32_t cdbLength, Direction direction, uint8_t* data,
                   uint32_t length, uint64_t nowMs);

    const std::vector<uint8_t>& Firmware() const { return firmware_; }
    std::string Revision() const;
    uint32_t PiecesAccepted() const { return expectedOffset_ / kPiece; }
    bool Flashing() const { return flashing_; }
    bool TrayOpen() const { return trayOpen_; }
    bool Flashed() const { return flashed_; }

    static constexpr uint32_t kPiece = 0x4000;
    static constexpr uint32_t kBody = 0x200000;

private:
    Answer Good(uint32_t transferred = 0) const;
    Answer Check(uint8_t key, uint8_t asc, uint8_t ascq, uint32_t information = 0,
                 bool informationValid = false) const;
    Answer Inquiry(const uint8_t* cdb, Direction direction, uint8_t* data, uint32_t length);
    Answer TestUnitReady(uint64_t nowMs);
    Answer StartStop(const uint8_t* cdb);
    Answer WriteBuffer(const uint8_t* cdb, Direction direction, const uint8_t* data,
                       uint32_t length, uint64_t nowMs);
    Answer ReadBuffer(const uint8_t* cdb, Direction direction, uint8_t* data, uint32_t length);
    void FinishFlashing();
    uint32_t ProgressAt(uint64_t nowMs) const;

    Setup setup_;
    std::vector<uint8_t> firmware_;
    std::vector<uint8_t> staged_;
    bool trayOpen_ = false;
    int traySincePolls_ = 0;
    bool downloadOpen_ = false;
    uint32_t expectedOffset_ = 0;
    bool flashing_ = false;
    bool flashed_ = false;
    uint64_t flashStartMs_ = 0;
    uint32_t flashPolls_ = 0;
    bool unitAttention_ = false;
};

}  // namespace simdrive
