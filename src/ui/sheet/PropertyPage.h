#pragma once

#include <QString>
#include <QWidget>

namespace gleanwork {

class PropertySheet;

// One tab of a PropertySheet. A page keeps its own values apart from its
// controls and moves them between the two at fixed moments, which the sheet
// drives:
//
//   first activation   OnInitPage() once (fill what is filled once), then
//                      LoadPage()
//   each activation    LoadPage()   (page values -> controls)
//   leaving the page   SavePage()   (controls -> page values)
//   OK or Apply        SavePage() on the page in front, then OnApply() on
//                      every page that has been activated at least once
//   Cancel, close box  OnCancel() on every page that has been activated
//
// A page that is never brought to the front is never loaded or saved, so its
// values pass through OK unchanged. A page makes its controls when it is
// constructed, so that the sheet has its final size before it opens. All
// hooks run on the user-interface thread; the default implementations do
// nothing (OnApply accepts).
//
// SetModified(true) tells the sheet that the page has unapplied changes,
// which enables the sheet's Apply button. A successful OK or Apply clears the
// flag on every page.
class PropertyPage : public QWidget {
    Q_OBJECT

public:
    // `caption` is the page's tab label.
    explicit PropertyPage(const QString& caption, QWidget* parent = nullptr);
    ~PropertyPage() override;

    const QString& caption() const { return caption_; }

    // The sheet the page was added to, or nullptr.
    PropertySheet* sheet() const { return sheet_; }

    // True once the page has been brought to the front (OnInitPage has run).
    bool IsInitialised() const { return initialised_; }

    bool IsModified() const { return modified_; }
    void SetModified(bool modified = true);

protected:
    // Prepares the controls for their first display (fills a list, say);
    // runs once, before the first LoadPage().
    virtual void OnInitPage() {}
    // Shows the page values in the controls.
    virtual void LoadPage() {}
    // Takes the controls' contents into the page values.
    virtual void SavePage() {}
    // Applies the page's values (OK and Apply). Returning false refuses: the
    // sheet stays open with this page in front, and the modified flags stay.
    virtual bool OnApply() { return true; }
    // The sheet is being closed without applying.
    virtual void OnCancel() {}

private:
    friend class PropertySheet;

    void Activate();
    void Deactivate();

    QString caption_;
    PropertySheet* sheet_ = nullptr;
    bool initialised_ = false;
    bool modified_ = false;
};

}  // namespace gleanwork
