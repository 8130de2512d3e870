// Drop-down list with an image and an indent per item (the drive and path box).
#pragma once

#include <wx/imaglist.h>
#include <wx/odcombo.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/window/wx/wx_controls.h"

namespace wxwin {

class ImageComboWidget : public wxOwnerDrawnComboBox {
public:
    // `typed`: the box also takes a typed text.
    ImageComboWidget(wxWindow* parent, int id, bool typed);

    std::vector<win::ImageComboItem> items;
    std::unique_ptr<wxImageList> images;
    std::function<void()> beforeDropDown;

    void ShowPopup() override;

    void DrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const;
    wxCoord ItemHeight() const;

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    wxCoord OnMeasureItem(size_t item) const override;
    wxCoord OnMeasureItemWidth(size_t item) const override;
};

class ImageComboControl : public Control<win::IImageComboBox> {
public:
    ImageComboControl(WindowCore& core, int id, ImageComboWidget* combo);
    void ResetContent() override;
    int InsertItem(int index, const win::ImageComboItem& item) override;
    bool DeleteItem(int index) override;
    int GetCount() const override;
    win::ImageComboItem GetItem(int index) const override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;
    void SetImageList(int bitmapId) override;
    std::string GetEditText() const override;
    void SetEditText(const std::string& text) override;

private:
    ImageComboWidget* m_combo;
};

} // namespace wxwin
