// Placeholder so the library has a source until the application object lands.
