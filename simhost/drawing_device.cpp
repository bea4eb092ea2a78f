#include "simhost/drawing_device.hpp"

#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace sim::detail {
namespace {

struct releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T> using com_ptr = std::unique_ptr<T, releaser>;

constexpr DWORD vertex_format = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// A screen has no alpha channel; neither has the frame's target.
constexpr D3DFORMAT target_format = D3DFMT_X8R8G8B8;

struct device_state {
    bool tried = false;
    HWND window = nullptr;
    com_ptr<IDirect3D9> direct3d;
    com_ptr<IDirect3DDevice9> device;
    int width = 0;
    int height = 0;
    com_ptr<IDirect3DSurface9> target;
    com_ptr<IDirect3DSurface9> staging; // system memory, for both directions
    std::map<std::uint32_t, com_ptr<IDirect3DTexture9>> textures;
    std::string error;
};

// Never destroyed: at exit Wine may have let go of d3d9 before static
// destructors would run, and the process gives everything back anyway.
device_state& the_device() {
    static device_state* const state = new device_state;
    return *state;
}

const char* result_name(HRESULT result) {
    switch (result) {
    case D3DERR_NOTAVAILABLE:
        return "D3DERR_NOTAVAILABLE";
    case D3DERR_INVALIDCALL:
        return "D3DERR_INVALIDCALL";
    case D3DERR_OUTOFVIDEOMEMORY:
        return "D3DERR_OUTOFVIDEOMEMORY";
    case D3DERR_DEVICELOST:
        return "D3DERR_DEVICELOST";
    case E_OUTOFMEMORY:
        return "E_OUTOFMEMORY";
    default:
        return "an error";
    }
}

bool fail(const std::string& what) {
    device_state& state = the_device();
    if (state.error != what) {
        std::fprintf(stderr, "simulated host: %s\n", what.c_str());
    }
    state.error = what;
    return false;
}

bool fail(const char* call, HRESULT result, const char* hint = "") {
    char text[256];
    std::snprintf(text, sizeof text, "Direct3D 9: %s failed with %s (0x%08lX)%s", call,
                  result_name(result), static_cast<unsigned long>(result), hint);
    return fail(text);
}

std::string display_name() {
    char name[128] = {};
    const DWORD length = GetEnvironmentVariableA("DISPLAY", name, sizeof name);
    return length == 0 || length >= sizeof name ? std::string() : std::string(name);
}

// Wine's d3d9 draws with OpenGL on an X display, through a window.
std::string what_is_missing() {
    const std::string display = display_name();
    return display.empty() ? "no X display: DISPLAY is not set (run under xvfb-run -a)"
                           : "the X display " + display + " cannot be used";
}

HWND make_window() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "simulated_host_device";
    RegisterClassA(&window_class);
    return CreateWindowA(window_class.lpszClassName, "simulated host", WS_POPUP, 0, 0, 16, 16,
                         nullptr, nullptr, window_class.hInstance, nullptr);
}

// The states of the host's 2-D pass; nothing else changes them.
void set_hud_pass_states(IDirect3DDevice9& device) {
    device.SetFVF(vertex_format);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

// d3d9.dll is loaded with the first frame drawn rather than with the
// program: Wine reads how its Direct3D runs (WINE_D3D_CONFIG) as the library
// loads, so a program may set that first, and programs that only read the
// call log never load it.
IDirect3D9* create_direct3d() {
    const HMODULE d3d9 = LoadLibraryW(L"d3d9.dll");
    if (d3d9 == nullptr) {
        return nullptr;
    }
    using create_function = IDirect3D9*(WINAPI*)(UINT);
    const auto create = reinterpret_cast<create_function>(
        reinterpret_cast<void (*)()>(GetProcAddress(d3d9, "Direct3DCreate9")));
    return create != nullptr ? create(D3D_SDK_VERSION) : nullptr;
}

bool open_device() {
    device_state& state = the_device();
    if (state.device) {
        return true;
    }
    if (state.tried) {
        return false; // a display does not appear later; keep render calls cheap
    }
    state.tried = true;
    state.window = make_window();
    if (state.window == nullptr) {
        return fail("Direct3D 9: no window for the device (CreateWindowA error " +
                    std::to_string(GetLastError()) + "): " + what_is_missing());
    }
    state.direct3d.reset(create_direct3d());
    if (!state.direct3d) {
        return fail("Direct3D 9: Direct3DCreate9 failed: Wine's d3d9 needs 32-bit OpenGL "
                    "(libgl1:i386, libglx-mesa0:i386, libgl1-mesa-dri:i386) and " +
                    what_is_missing());
    }
    D3DPRESENT_PARAMETERS present{};
    present.BackBufferWidth = 16;
    present.BackBufferHeight = 16;
    present.BackBufferFormat = target_format;
    present.BackBufferCount = 1;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = state.window;
    present.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    // The module's single-precision arithmetic must not find the x87 unit
    // switched to another precision behind its back.
    const HRESULT result = state.direct3d->CreateDevice(
        D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, state.window,
        D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &present, &device);
    if (FAILED(result)) {
        return fail("CreateDevice (HAL, software vertex processing)", result,
                    (": " + what_is_missing()).c_str());
    }
    state.device.reset(device);
    set_hud_pass_states(*device);
    return true;
}

struct filters {
    DWORD within_level;
    DWORD between_levels;
};

// The raster's filter modes: 1 nearest, 2 linear, and with mip levels 3
// nearest within and between levels, 4 nearest within and linear between,
// 5 linear within and nearest between, 6 linear within and between.
filters filters_of(std::uint8_t mode) {
    switch (mode) {
    case 1:
        return {D3DTEXF_POINT, D3DTEXF_NONE};
    case 3:
        return {D3DTEXF_POINT, D3DTEXF_POINT};
    case 4:
        return {D3DTEXF_POINT, D3DTEXF_LINEAR};
    case 5:
        return {D3DTEXF_LINEAR, D3DTEXF_POINT};
    case 6:
        return {D3DTEXF_LINEAR, D3DTEXF_LINEAR};
    default:
        return {D3DTEXF_LINEAR, D3DTEXF_NONE};
    }
}

// Sampler settings straight from the raster's header: its filter mode and
// addressing nibbles have the device's own numbering.
void set_sampler(IDirect3DDevice9& device, const texture_sampling& sampling) {
    const filters filter = filters_of(sampling.filter_mode);
    device.SetSamplerState(0, D3DSAMP_MINFILTER, filter.within_level);
    device.SetSamplerState(0, D3DSAMP_MAGFILTER, filter.within_level);
    device.SetSamplerState(0, D3DSAMP_MIPFILTER, filter.between_levels);
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, sampling.addressing & 0x0F);
    device.SetSamplerState(0, D3DSAMP_ADDRESSV, sampling.addressing >> 4);
}

D3DFORMAT device_format(txd::pixel_encoding encoding) {
    switch (encoding) {
    case txd::pixel_encoding::dxt1:
        return D3DFMT_DXT1;
    case txd::pixel_encoding::dxt3:
        return D3DFMT_DXT3;
    case txd::pixel_encoding::dxt5:
        return D3DFMT_DXT5;
    case txd::pixel_encoding::rgba32:
        break;
    }
    return D3DFMT_A8R8G8B8;
}

// Rows of pixels, or of 4 by 4 blocks, and the bytes of each as the file has them.
struct level_rows {
    int count;
    std::size_t bytes;
};

level_rows rows_of(txd::pixel_encoding encoding, int width, int height) {
    if (encoding == txd::pixel_encoding::rgba32) {
        return {height, static_cast<std::size_t>(width) * 4};
    }
    const int block_rows = (height + 3) / 4;
    return {block_rows, txd::level_byte_count(encoding, width, height) / block_rows};
}

bool fill_level(IDirect3DTexture9& texture, UINT level, int width, int height,
                txd::pixel_encoding encoding, const std::vector<std::uint8_t>& data) {
    D3DLOCKED_RECT locked{};
    if (FAILED(texture.LockRect(level, &locked, nullptr, 0))) {
        return fail("locking a new texture", D3DERR_INVALIDCALL);
    }
    const level_rows rows = rows_of(encoding, width, height);
    for (int y = 0; y < rows.count; ++y) {
        auto* row =
            static_cast<std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
        const std::uint8_t* source = data.data() + static_cast<std::size_t>(y) * rows.bytes;
        if (encoding != txd::pixel_encoding::rgba32) {
            // The blocks are the device's own format: the card decodes them.
            std::memcpy(row, source, rows.bytes);
            continue;
        }
        // Bytes R, G, B, A; the device's format wants B, G, R, A.
        for (std::size_t x = 0; x < rows.bytes; x += 4) {
            row[x + 0] = source[x + 2];
            row[x + 1] = source[x + 1];
            row[x + 2] = source[x + 0];
            row[x + 3] = source[x + 3];
        }
    }
    texture.UnlockRect(level);
    return true;
}

IDirect3DTexture9* device_texture(const stored_texture& texture) {
    device_state& state = the_device();
    const auto found = state.textures.find(texture.record.render_id);
    if (found != state.textures.end()) {
        return found->second.get();
    }
    // Every level the file carries, and no more: the device makes none itself.
    const UINT levels = static_cast<UINT>(texture.levels.size());
    IDirect3DTexture9* created = nullptr;
    const HRESULT result = state.device->CreateTexture(
        static_cast<UINT>(texture.width), static_cast<UINT>(texture.height), levels, 0,
        device_format(texture.encoding), D3DPOOL_MANAGED, &created, nullptr);
    if (FAILED(result)) {
        fail("CreateTexture", result);
        return nullptr;
    }
    com_ptr<IDirect3DTexture9> owned(created);
    for (UINT level = 0; level < levels; ++level) {
        const int width = std::max(1, texture.width >> level);
        const int height = std::max(1, texture.height >> level);
        if (!fill_level(*created, level, width, height, texture.encoding, texture.levels[level])) {
            return nullptr;
        }
    }
    return state.textures.emplace(texture.record.render_id, std::move(owned)).first->second.get();
}

} // namespace

const std::string& device_error() {
    return the_device().error;
}

bool device_target(int width, int height) {
    if (!open_device()) {
        return false;
    }
    device_state& state = the_device();
    if (state.target && state.width == width && state.height == height) {
        return true;
    }
    state.target.reset();
    state.staging.reset();
    state.width = 0;
    state.height = 0;
    if (width < 1 || height < 1 || width > max_device_frame_side ||
        height > max_device_frame_side) {
        return fail("Direct3D 9: frame " + std::to_string(width) + "x" + std::to_string(height) +
                    " is larger than the " + std::to_string(max_device_frame_side) + "x" +
                    std::to_string(max_device_frame_side) +
                    " the simulated host draws; its draws give no pixels");
    }
    IDirect3DSurface9* target = nullptr;
    HRESULT result = state.device->CreateRenderTarget(
        static_cast<UINT>(width), static_cast<UINT>(height), target_format, D3DMULTISAMPLE_NONE, 0,
        FALSE, &target, nullptr);
    if (FAILED(result)) {
        return fail("CreateRenderTarget", result);
    }
    state.target.reset(target);
    IDirect3DSurface9* staging = nullptr;
    result = state.device->CreateOffscreenPlainSurface(static_cast<UINT>(width),
                                                       static_cast<UINT>(height), target_format,
                                                       D3DPOOL_SYSTEMMEM, &staging, nullptr);
    if (FAILED(result)) {
        state.target.reset();
        return fail("CreateOffscreenPlainSurface", result);
    }
    state.staging.reset(staging);
    // Also sets the viewport to the whole target.
    state.device->SetRenderTarget(0, target);
    state.width = width;
    state.height = height;
    state.error.clear(); // an earlier frame's trouble is history
    return true;
}

bool device_upload(const std::uint32_t* rgba) {
    device_state& state = the_device();
    if (!state.target) {
        return false;
    }
    D3DLOCKED_RECT locked{};
    HRESULT result = state.staging->LockRect(&locked, nullptr, 0);
    if (FAILED(result)) {
        return fail("LockRect on the staging surface", result);
    }
    for (int y = 0; y < state.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                     static_cast<std::size_t>(y) * locked.Pitch);
        const std::uint32_t* source = rgba + static_cast<std::size_t>(y) * state.width;
        for (int x = 0; x < state.width; ++x) {
            const std::uint32_t p = source[x];
            row[x] = (p & 0x0000FF00u) | (p & 0xFF) << 16 | (p >> 16 & 0xFF);
        }
    }
    state.staging->UnlockRect();
    result = state.device->UpdateSurface(state.staging.get(), nullptr, state.target.get(), nullptr);
    return SUCCEEDED(result) || fail("UpdateSurface", result);
}

bool device_read(std::uint32_t* rgba) {
    device_state& state = the_device();
    if (!state.target) {
        return false;
    }
    HRESULT result = state.device->GetRenderTargetData(state.target.get(), state.staging.get());
    if (FAILED(result)) {
        return fail("GetRenderTargetData", result);
    }
    D3DLOCKED_RECT locked{};
    result = state.staging->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(result)) {
        return fail("LockRect on the staging surface", result);
    }
    for (int y = 0; y < state.height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                   static_cast<std::size_t>(y) * locked.Pitch);
        std::uint32_t* target = rgba + static_cast<std::size_t>(y) * state.width;
        for (int x = 0; x < state.width; ++x) {
            const std::uint32_t p = row[x];
            target[x] = 0xFF000000u | (p & 0x0000FF00u) | (p & 0xFF) << 16 | (p >> 16 & 0xFF);
        }
    }
    state.staging->UnlockRect();
    return true;
}

bool device_draw(std::int32_t primitive, const screen_vertex* vertices, std::int32_t count,
                 const stored_texture* texture) {
    device_state& state = the_device();
    if (!state.target || vertices == nullptr || count < 3 ||
        (primitive != primitive_triangle_fan && primitive != primitive_triangle_strip)) {
        return false;
    }
    IDirect3DDevice9& device = *state.device;
    IDirect3DTexture9* sampled = texture == nullptr ? nullptr : device_texture(*texture);
    if (texture != nullptr && sampled == nullptr) {
        return false;
    }
    device.SetTexture(0, sampled);
    if (sampled != nullptr) {
        set_sampler(device, texture->sampling);
        device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    } else {
        device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    }
    const D3DPRIMITIVETYPE type =
        primitive == primitive_triangle_fan ? D3DPT_TRIANGLEFAN : D3DPT_TRIANGLESTRIP;
    device.BeginScene();
    const HRESULT result =
        device.DrawPrimitiveUP(type, static_cast<UINT>(count - 2), vertices, sizeof(screen_vertex));
    device.EndScene();
    return SUCCEEDED(result) || fail("DrawPrimitiveUP", result);
}

void device_forget_texture(std::uint32_t render_id) {
    the_device().textures.erase(render_id);
}

} // namespace sim::detail
