// placeholder: the main window lands here
