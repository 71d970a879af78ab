// Placed ahead of Qt's own headers for the data layer only: a QtGui header (colours, fonts,
// painting) included from src/data stops the build here. The data layer works on data.
#error "The data layer uses Qt Core, Sql and Core5Compat only."
