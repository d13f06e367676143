// The pass-through block over the kernel's SG_IO interface.
#pragma once

#include <cstdint>
#include <scsi/sg.h>

#include "platform/pass_through.h"

// Error codes for transport failures that carry no errno.
constexpr uint32_t kSgHostErrorBase = 1000;    // + the host status (DID_*), 1003 = time-out
constexpr uint32_t kSgDriverErrorBase = 2000;  // + the driver status (DRIVER_*)

// Fills hdr from the block: command, direction (none for a zero length),
// data, time-out in milliseconds, and the block's sense area.
void BuildSgIoHeader(PassThroughBlock* block, sg_io_hdr_t* hdr);

// After the ioctl: true when the request was carried out (the drive's status,
// whatever it is, then stands in the block); false with *errorCode: errno of a
// failed ioctl, or a code above for a host or driver failure or a time-out.
bool ReadSgIoOutcome(const sg_io_hdr_t* hdr, int ioctlResult, int ioctlErrno,
                     PassThroughBlock* block, uint32_t* errorCode);
