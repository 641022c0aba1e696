// Texts of the simulated controller's error codes.
#include "sim_errors.h"

namespace zqsim {

const char* ErrorText(int code) {
    switch (code) {
    case kOk: return "No error";
    case kErrNotSupported: return "Function not supported by the simulated controller";
    case kErrNoController: return "No such controller exists in the simulated controller configuration";
    case kErrBadHandle: return "Invalid or closed controller handle";
    case kErrNullPointer: return "A required pointer argument is null";
    case kErrBadAxis: return "Axis number out of range for this controller";
    case kErrBadSize: return "Record size field does not match the record";
    case kErrBadValue: return "Value out of range, not a number or infinite";
    case kErrCaptureRange: return "Capture data requested past the captured points";
    case kErrBlockState: return "Command block not begun, already begun or not allowed in a block";
    case kErrMotorOff: return "Motor is off";
    case kErrConfig: return "Simulated controller configuration file error";
    case kErrNotServo: return "Function needs a servo axis";
    case kErrTimeout: return "Timed out waiting for the axis";
    case kErrTooManyHandles: return "Too many open controller handles";
    case kErrGeared: return "Axis is geared to another axis";
    case kErrBadType: return "Invalid capture type, value type or opcode";
    case kErrNoResponse: return "The controller does not respond (simulated fault)";
    case kErrNoMemory: return "Not enough memory for the simulated controller";
    }
    return nullptr;
}

}  // namespace zqsim
