#pragma once

// What the object runtime and the UI kit do for the application before launch: the
// classes the storyboard "Main" names become known by name, and the theme is registered
// and put in force. Called by the process entry before the main loop starts; later calls
// do nothing.
void setUpApplication();
