#pragma once

// Makes the screens that the storyboard "Main" names known by their class names.
void registerScreens();
