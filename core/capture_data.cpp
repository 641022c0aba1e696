// Capture data store: per-axis sample sequences of the five channels.
#include "capture_data.h"

#include "app_state.h"

namespace {

template <typename Data, typename Seq>
Seq* Pick(Data& data, Channel channel, int axis) {
    if (axis < 1 || axis > kMaxAxes) return nullptr;
    switch (channel) {
    case Channel::Actual: return &data.Actual[axis - 1];
    case Channel::Auxiliary: return &data.Auxiliary[axis - 1];
    case Channel::Optimal: return &data.Optimal[axis - 1];
    case Channel::Error: return &data.Error[axis - 1];
    case Channel::Torque: return &data.Torque[axis - 1];
    }
    return nullptr;
}

}  // namespace

SampleSequence* CaptureData::Sequence(Channel channel, int axis) {
    return Pick<CaptureData, SampleSequence>(*this, channel, axis);
}

const SampleSequence* CaptureData::Sequence(Channel channel, int axis) const {
    return Pick<const CaptureData, const SampleSequence>(*this, channel, axis);
}

void CaptureData::ClearAxis(int axis) {
    for (Channel c : {Channel::Actual, Channel::Auxiliary, Channel::Optimal, Channel::Error, Channel::Torque})
        if (SampleSequence* s = Sequence(c, axis)) s->Clear();
}

SampleSequence* ChannelFor(AppState& state, Channel channel, int axis) {
    return state.Capture.Sequence(channel, axis <= 0 ? static_cast<unsigned short>(state.Axis) : axis);
}

const SampleSequence* ChannelFor(const AppState& state, Channel channel, int axis) {
    return state.Capture.Sequence(channel, axis <= 0 ? static_cast<unsigned short>(state.Axis) : axis);
}
