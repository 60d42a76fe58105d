#pragma once

// Where a player's view sits (a plain view, a list cell...). The application plays only
// in plain views, which need nothing more than the model's existence.
class SJPlayModel {};
