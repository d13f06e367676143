#include "platform/linux/sg_transport.h"

#include <cstring>

namespace {
constexpr unsigned kDriverMask = 0x0F;   // sg3_utils: SG_LIB_DRIVER_MASK
constexpr unsigned kDriverSense = 0x08;  // DRIVER_SENSE: sense data is valid, no error
}  // namespace

void BuildSgIoHeader(PassThroughBlock* block, sg_io_hdr_t* hdr)
{
    ScsiPassThroughDirect* s = &block->sptd;
    memset(hdr, 0, sizeof(*hdr));
    hdr->interface_id = 'S';
    hdr->cmd_len = s->CdbLength;
    hdr->cmdp = s->Cdb;
    if (s->DataTransferLength == 0)
        hdr->dxfer_direction = SG_DXFER_NONE;
    else if (s->DataIn == SCSI_IOCTL_DATA_IN)
        hdr->dxfer_direction = SG_DXFER_FROM_DEV;
    else
        hdr->dxfer_direction = SG_DXFER_TO_DEV;
    hdr->dxfer_len = s->DataTransferLength;
    hdr->dxferp = s->DataTransferLength != 0 ? s->DataBuffer : nullptr;
    uint32_t room = kPassThroughBlockSize - s->SenseInfoOffset;
    hdr->mx_sb_len = (unsigned char)(s->SenseInfoLength < room ? s->SenseInfoLength : room);
    hdr->sbp = reinterpret_cast<unsigned char*>(block) + s->SenseInfoOffset;
    hdr->timeout = s->TimeOutValue * 1000u;
}

bool ReadSgIoOutcome(const sg_io_hdr_t* hdr, int ioctlResult, int ioctlErrno,
                     PassThroughBlock* block, uint32_t* errorCode)
{
    if (ioctlResult < 0) {
        *errorCode = (uint32_t)ioctlErrno;
        return false;
    }
    if (hdr->host_status != 0) {
        *errorCode = kSgHostErrorBase + hdr->host_status;
        return false;
    }
    unsigned driver = hdr->driver_status & kDriverMask;
    if (driver != 0 && driver != kDriverSense) {
        *errorCode = kSgDriverErrorBase + driver;
        return false;
    }
    block->sptd.ScsiStatus = hdr->status;
    // The kernel wrote sb_len_wr sense bytes straight into the block's sense area.
    return true;
}
