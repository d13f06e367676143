#include "sim/drive/sim_drive.h"

#include <algorithm>
#include <utility>
#include <cstring>

#include "tools/common/test_firmware.h"

namespace simdrive {

namespace {
constexpr uint8_t kGood = 0x00;
constexpr uint8_t kCheckCondition = 0x02;
constexpr uint8_t kNotReady = 0x02;
constexpr uint8_t kUnitAttention = 0x06;
constexpr uint8_t kIllegalRequest = 0x05;
}  // namespace

Drive::Drive(const Setup& setup)
    : setup_(setup),
      firmware_(MakeTestFirmwareBody(setup.firmwareVendor, setup.firmwareProduct, setup.revision))
{
}

std::string Drive::Revision() const
{
    return BodyRevision(firmware_);
}

Answer Drive::Good(uint32_t transferred) const
{
    Answer a;
    a.status = kGood;
    a.transferred = transferred;
    return a;
}

Answer Drive::Check(uint8_t key, uint8_t asc, uint8_t ascq, uint32_t information,
                    bool informationValid) const
{
    Answer a;
    a.status = kCheckCondition;
    a.sense.assign(18, 0);
    a.sense[0] = informationValid ? 0xF0 : 0x70;
    a.sense[2] = key;
    a.sense[3] = (uint8_t)(information >> 24);
    a.sense[4] = (uint8_t)(information >> 16);
    a.sense[5] = (uint8_t)(information >> 8);
    a.sense[6] = (uint8_t)information;
    a.sense[7] = 10;
    a.sense[12] = asc;
    a.sense[13] = ascq;
    return a;
}

Answer Drive::Execute(const uint8_t* cdb, uint32_t cdbLength, Direction direction, uint8_t* data,
                      uint32_t length, uint64_t nowMs)
{
    if (cdbLength < 6)
        return Check(kIllegalRequest, 0x20, 0x00);
    if (flashing_ && !setup_.flashNeverResets && nowMs - flashStartMs_ >= setup_.flashDurationMs)
        FinishFlashing();
    // A pending reset is reported once, to the first command other than INQUIRY.
    if (unitAttention_ && cdb[0] != 0x12) {
        unitAttention_ = false;
        return Check(kUnitAttention, 0x29, 0x00);
    }
    switch (cdb[0]) {
    case 0x12:
        return Inquiry(cdb, direction, data, length);
    case 0x00:
        return TestUnitReady(nowMs);
    case 0x1B:
        return StartStop(cdb);
    case 0x3B:
        return WriteBuffer(cdb, direction, data, length, nowMs);
    case 0x3C:
        return ReadBuffer(cdb, direction, data, length);
    default:
        return Check(kIllegalRequest, 0x20, 0x00);
    }
}

Answer Drive::Inquiry(const uint8_t* cdb, Direction direction, uint8_t* data, uint32_t length)
{
    if (cdb[1] & 0x01)   // no vital product data pages in this model
        return Check(kIllegalRequest, 0x24, 0x00);
    uint8_t response[96] = {};
    response[0] = 0x05;   // CD/DVD device
    response[1] = 0x80;   // removable medium
    response[2] = 0x05;
    response[3] = 0x32;
    response[4] = sizeof(response) - 5;
    std::string ident = PadField(setup_.vendor, 8) + PadField(setup_.product, 16) + Revision();
    memcpy(response + 8, ident.data(), 28);
    uint32_t allocation = ((uint32_t)cdb[3] << 8) | cdb[4];
    uint32_t n = std::min<uint32_t>({allocation, length, (uint32_t)sizeof(response)});
    if (n > 0 && (direction != Direction::In || data == nullptr))
        return Check(kIllegalRequest, 0x24, 0x00);
    if (n > 0)
        memcpy(data, response, n);
    return Good(n);
}

Answer Drive::TestUnitReady(uint64_t nowMs)
{
    if (flashing_) {
        flashPolls_++;
        if (setup_.flashNoiseEvery != 0 && flashPolls_ % setup_.flashNoiseEvery == 0)
            return Check(kNotReady, 0x04, 0x07);
        return Check(kNotReady, 0x04, 0x08, ProgressAt(nowMs), true);
    }
    if (trayOpen_) {
        traySincePolls_++;
        if (setup_.trayPollsUntilOpen > 0 && traySincePolls_ >= setup_.trayPollsUntilOpen)
            return Check(kNotReady, 0x3A, 0x02);   // medium not present, tray open
        return Check(kNotReady, 0x3A, 0x01);       // still reports the tray closed
    }
    return Check(kNotReady, 0x3A, 0x01);
}

Answer Drive::StartStop(const uint8_t* cdb)
{
    uint8_t byte4 = cdb[4];
    if (byte4 == 0x02) {
        trayOpen_ = true;
        traySincePolls_ = 0;
    } else if (byte4 == 0x03) {
        trayOpen_ = false;
    }
    return Good();
}

uint32_t Drive::ProgressAt(uint64_t nowMs) const
{
    uint64_t elapsed = nowMs - flashStartMs_;
    uint64_t duration = std::max<uint64_t>(setup_.flashDurationMs, 1);
    if (elapsed >= duration)
        return setup_.flashFinalCount;
    return (uint32_t)((uint64_t)setup_.flashFinalCount * elapsed / duration);
}

void Drive::FinishFlashing()
{
    flashing_ = false;
    flashed_ = true;
    if (!setup_.flashKeepsOldFirmware)
        firmware_ = std::move(staged_);
    unitAttention_ = true;
}

Answer Drive::WriteBuffer(const uint8_t* cdb, Direction direction, const uint8_t* data,
                          uint32_t length, uint64_t nowMs)
{
    uint8_t mode = cdb[1];
    uint8_t bufferId = cdb[2];
    uint32_t offset = ((uint32_t)cdb[3] << 16) | ((uint32_t)cdb[4] << 8) | cdb[5];
    uint32_t cdbLength = ((uint32_t)cdb[6] << 16) | ((uint32_t)cdb[7] << 8) | cdb[8];
    if (flashing_)
        return Check(kNotReady, 0x04, 0x08, ProgressAt(nowMs), true);

    if (mode == 0x06 && bufferId == 0x67 && cdb[9] == 0x0B && offset == 0 && cdbLength == 0) {
        if (length != 0)
            return Check(kIllegalRequest, 0x24, 0x00);
        downloadOpen_ = true;
        expectedOffset_ = 0;
        staged_.assign(kBody, 0);
        return Good();
    }
    if (mode == 0x07 && bufferId == 0x00 && cdb[10] == 0x1B && cdb[11] == 0x12) {
        if (!downloadOpen_ || expectedOffset_ != kBody)
            return Check(kIllegalRequest, 0x2C, 0x00);   // command sequence error
        downloadOpen_ = false;
        flashing_ = true;
        flashStartMs_ = nowMs;
        flashPolls_ = 0;
        return Good();
    }
    if (mode == 0x06 && bufferId == 0x00) {
        if (!downloadOpen_)
            return Check(kIllegalRequest, 0x2C, 0x00);
        if (offset != expectedOffset_ || cdbLength != kPiece || length != kPiece ||
            direction != Direction::Out || data == nullptr || offset >= kBody)
            return Check(kIllegalRequest, 0x24, 0x00);
        memcpy(staged_.data() + offset, data, kPiece);
        expectedOffset_ += kPiece;
        return Good(kPiece);
    }
    return Check(kIllegalRequest, 0x24, 0x00);
}

Answer Drive::ReadBuffer(const uint8_t* cdb, Direction direction, uint8_t* data, uint32_t length)
{
    uint8_t mode = cdb[1];
    uint8_t bufferId = cdb[2];
    uint32_t offset = ((uint32_t)cdb[3] << 16) | ((uint32_t)cdb[4] << 8) | cdb[5];
    uint32_t cdbLength = ((uint32_t)cdb[6] << 16) | ((uint32_t)cdb[7] << 8) | cdb[8];
    if (flashing_)
        return Check(kNotReady, 0x04, 0x08);
    if (mode != 0x06 || bufferId != 0x00 || (uint64_t)offset + cdbLength > kBody ||
        direction != Direction::In || (cdbLength > 0 && data == nullptr))
        return Check(kIllegalRequest, 0x24, 0x00);
    if (flashed_ && setup_.readBackFails)
        return Check(0x03, 0x11, 0x00);   // medium error, unrecovered read error
    uint32_t n = std::min(cdbLength, length);
    memcpy(data, firmware_.data() + offset, n);
    return Good(n);
}

}  // namespace simdrive
