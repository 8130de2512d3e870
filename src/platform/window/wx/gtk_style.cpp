#include "platform/window/wx/gtk_style.h"

#include <dlfcn.h>
#include <wx/window.h>

#include <cstring>

namespace wxwin {
namespace {

// Tabs with the padding of a classic tab strip, so that all seven host tabs fit the strip's
// width, and a progress bar that is a bar rather than a hairline.
const char kStyleSheet[] = R"(
notebook > header > tabs > tab { padding: 3px 5px; min-height: 0; min-width: 0; }
progressbar > trough, progressbar > trough > progress { min-height: 12px; }
)";

// GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
constexpr unsigned kPriorityApplication = 600;

// The widget's accessible object (AtkObject*), or null.
void* Accessible(wxWindow* widget) {
    using GetAccessible = void* (*)(void*);
    static auto getAccessible =
        reinterpret_cast<GetAccessible>(dlsym(RTLD_DEFAULT, "gtk_widget_get_accessible"));
    void* handle = widget != nullptr ? static_cast<void*>(widget->GetHandle()) : nullptr;
    return getAccessible != nullptr && handle != nullptr ? getAccessible(handle) : nullptr;
}

} // namespace

void SetAccessibleName(wxWindow* widget, const std::string& name) {
    using SetName = void (*)(void*, const char*);
    static auto setName = reinterpret_cast<SetName>(dlsym(RTLD_DEFAULT, "atk_object_set_name"));
    void* accessible = Accessible(widget);
    if (setName != nullptr && accessible != nullptr) {
        setName(accessible, name.c_str());
    }
}

std::string AccessibleName(wxWindow* widget) {
    using GetName = const char* (*)(void*);
    static auto getName = reinterpret_cast<GetName>(dlsym(RTLD_DEFAULT, "atk_object_get_name"));
    void* accessible = Accessible(widget);
    const char* name = getName != nullptr && accessible != nullptr ? getName(accessible) : nullptr;
    return name != nullptr ? name : "";
}

void ApplyCompactStyle() {
    // The toolkit has already loaded GTK; look its functions up rather than link against it,
    // so the build needs no GTK headers.
    using NewProvider = void* (*)();
    using LoadData = int (*)(void*, const char*, long, void**);
    using DefaultScreen = void* (*)();
    using AddProvider = void (*)(void*, void*, unsigned);
    auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    auto loadData =
        reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    auto defaultScreen =
        reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto addProvider = reinterpret_cast<AddProvider>(
        dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (newProvider == nullptr || loadData == nullptr || defaultScreen == nullptr ||
        addProvider == nullptr) {
        return;
    }
    void* screen = defaultScreen();
    void* provider = newProvider();
    if (screen == nullptr || provider == nullptr) {
        return;
    }
    if (loadData(provider, kStyleSheet, static_cast<long>(std::strlen(kStyleSheet)), nullptr)) {
        addProvider(screen, provider, kPriorityApplication);
    }
}

} // namespace wxwin
