// Error codes of the simulated controller and their texts. Every failing call
// returns one of these negative codes; ZqTranslateErrorEx explains it.
#pragma once

namespace zqsim {

enum Error {
    kOk = 0,
    kErrNotSupported = -1,
    kErrNoController = -2,
    kErrBadHandle = -3,
    kErrNullPointer = -4,
    kErrBadAxis = -5,
    kErrBadSize = -6,
    kErrBadValue = -7,
    kErrCaptureRange = -8,
    kErrBlockState = -9,
    kErrMotorOff = -10,
    kErrConfig = -11,
    kErrNotServo = -12,
    kErrTimeout = -13,
    kErrTooManyHandles = -14,
    kErrGeared = -15,
    kErrBadType = -16,
    kErrNoResponse = -17,  // an injected fault (ZQSIM_FAULTS)
    kErrNoMemory = -18,
};

// Codes -1 to -31 belong to the library; a configured open error lies below.
constexpr int kFirstOpenError = -32;

// Text for a code; null for codes this library does not define.
const char* ErrorText(int code);

}  // namespace zqsim
