// Placed ahead of Qt's own headers for the data layer only: a widget header included from
// src/data stops the build here. The data layer returns results; windows show them.
#error "The data layer knows no widget: return the result and let the window show it."
