#include "audio/win32/CoreAudioMeters.h"

#include "runtime/win32/Win32Api.h"
#include <mmdeviceapi.h>

#include <atomic>

#include "audio/MeterPeaks.h"

namespace {

// MinGW's headers only name IAudioMeterInformation, and its libuuid lacks the
// device enumerator's class id; both are declared here.
const CLSID kClsidDeviceEnumerator = {0xbcde0395, 0xe52f, 0x467c, {0x8e, 0x3d, 0xc4, 0x57, 0x92, 0x91, 0x69, 0x2e}};
const IID kIidDeviceEnumerator = {0xa95664d2, 0x9614, 0x4f35, {0xa7, 0x46, 0xde, 0x8d, 0xb6, 0x36, 0x17, 0xe6}};
const IID kIidNotificationClient = {0x7991eec9, 0x7e89, 0x4d85, {0x83, 0x90, 0x6c, 0x70, 0x3c, 0xec, 0x60, 0xc0}};
const IID kIidMeterInformation = {0xc02216f6, 0x8c67, 0x4b5b, {0x9d, 0x00, 0xd0, 0x08, 0xe7, 0x3e, 0x00, 0x64}};

struct IPeakMeter : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPeakValue(float* peak) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32 count, float* peaks) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) = 0;
};

template <typename T>
void Release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// Told by the system, on its own thread, that a default endpoint changed.
class DefaultChangeListener final : public IMMNotificationClient {
public:
    std::atomic<bool> changed{false};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++mRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--mRefs); }  // owned by CoreAudioMeters

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR) override {
        if (role == eConsole) changed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override {
        changed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override {
        changed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    std::atomic<long> mRefs{1};
};

}  // namespace

struct CoreAudioMeters::Impl {
    bool comStarted = false;
    IMMDeviceEnumerator* enumerator = nullptr;
    DefaultChangeListener listener;
    bool registered = false;
    IPeakMeter* meters[2] = {nullptr, nullptr};
    bool looked[2] = {false, false};

    static int Slot(Flow flow) { return flow == Flow::Render ? 0 : 1; }

    IPeakMeter* Meter(Flow flow) {
        if (!enumerator) return nullptr;
        if (listener.changed.exchange(false)) {
            for (int i = 0; i < 2; ++i) {
                Release(meters[i]);
                looked[i] = false;
            }
        }
        const int slot = Slot(flow);
        if (!looked[slot]) {
            looked[slot] = true;
            IMMDevice* device = nullptr;
            if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(flow == Flow::Render ? eRender : eCapture, eConsole,
                                                              &device))) {
                void* meter = nullptr;
                if (SUCCEEDED(device->Activate(kIidMeterInformation, CLSCTX_ALL, nullptr, &meter)))
                    meters[slot] = static_cast<IPeakMeter*>(meter);
                device->Release();
            }
        }
        return meters[slot];
    }
};

CoreAudioMeters::CoreAudioMeters() : m(std::make_unique<Impl>()) {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: COM was already started on this thread; it is balanced all the
    // same. RPC_E_CHANGED_MODE: started otherwise, still usable, not ours.
    m->comStarted = SUCCEEDED(started);
    void* enumerator = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_ALL, kIidDeviceEnumerator, &enumerator))) {
        m->enumerator = static_cast<IMMDeviceEnumerator*>(enumerator);
        m->registered = SUCCEEDED(m->enumerator->RegisterEndpointNotificationCallback(&m->listener));
    }
}

CoreAudioMeters::~CoreAudioMeters() {
    for (auto*& meter : m->meters) Release(meter);
    if (m->enumerator && m->registered) m->enumerator->UnregisterEndpointNotificationCallback(&m->listener);
    Release(m->enumerator);
    if (m->comStarted) CoUninitialize();
}

bool CoreAudioMeters::Available() const { return m->enumerator != nullptr; }

bool CoreAudioMeters::HasMeter(Flow flow) { return m->Meter(flow) != nullptr; }

bool CoreAudioMeters::Read(Flow flow, std::int32_t& value) {
    IPeakMeter* meter = m->Meter(flow);
    if (!meter) return false;
    float peak = 0;
    if (FAILED(meter->GetPeakValue(&peak))) {
        // The endpoint is gone (unplugged, disabled): look again next time.
        Release(m->meters[Impl::Slot(flow)]);
        m->looked[Impl::Slot(flow)] = false;
        return false;
    }
    value = MeterPeaks::Scale(peak);
    return true;
}
