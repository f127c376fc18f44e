#pragma once

// Starting the user interface library.
//
// A host that shows property sheets links AppConfig::ui, creates its
// QApplication and then calls InitAppConfigUiLib once, after
// InitAppConfigLib. From then on CAppResources::OnProperties and OnDebug
// open their sheets, and the link classes resolve through the class
// registry. Without this call OnProperties throws.

// Installs the user interface into the core and registers the link classes;
// true when all of them registered. Calling it again is harmless. Needs a
// QApplication (widgets) to exist.
bool InitAppConfigUiLib();
