#pragma once
// What a page's flow asks of the main window at its end: which page comes next,
// and filling the result list. Called on the UI thread (a flow's view reaches
// it through the UI dispatcher); the main window implements it.

namespace velkor {

enum class PageId { Home, Scan, Result, Backup, Restore, Settings };

class PageNavigator {
 public:
  // Shows the page, with the navigation button that belongs to it selected.
  virtual void ShowPageOf(PageId page) = 0;
  // Fills the result list from the last scan (the result page's PopulateResults).
  virtual void PopulateResults() = 0;

 protected:
  ~PageNavigator() = default;
};

}  // namespace velkor
