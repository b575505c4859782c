#pragma once

// When a page makes its controls: as it is made, or when BuildControls is
// called (the sheet's pages its first frame does not show, once it is on the
// screen). The fields exist either way.
enum class PageControls
{
    Now,
    Later
};

// What the sheet does with each of its pages, whichever page it is. The
// sheet creates a page's window the first time its tab is shown (and again
// when the page is swapped back in), enables it on connect and moves its
// values between fields and controls for the commands.
class CSheetPage
{
public:
    virtual ~CSheetPage() = default;

    // Makes the controls, once, showing the fields as they are then.
    virtual void BuildControls() = 0;
    virtual bool HasControls() const = 0;

    virtual void OnInitDialog() = 0;
    // The page has just been enabled or disabled, after a connect or
    // disconnect or when its window is created on a connected sheet.
    virtual void OnEnable(bool enabled) = 0;
    // A connect or disconnect, told to every page whether its window exists
    // or not.
    virtual void OnConnectionChanged(bool connected) { static_cast<void>(connected); }
    // Controls into fields; a refused entry has shown its prompt, and the
    // caller goes on with the fields as they are.
    virtual void StoreControls() = 0;
    // Fields into controls, with the control states the values call for; no
    // value changes.
    virtual void ShowFields() = 0;
    // The page's own rules applied to its values, as after a user's choice.
    virtual void RefreshControls() {}
};
