   MEMBER('Contacts.clw')

!  Settings kept in the INI file between runs: the name of the data file.

LoadSettings PROCEDURE
  CODE
  DataFile = GetIni('Files', 'DataFile', 'Contacts.tps', 'Contacts.ini')
  Contacts{PROP:Name} = DataFile
  IF NOT EXISTS(DataFile)
    MESSAGE('The address book ' & CLIP(DataFile) & ' was not found.|' & |
            'A new, empty address book will be created.', 'Contacts', ICON:Asterisk)
    CREATE(Contacts)
  END
  OPEN(Contacts, 42h)
  IF ERRORCODE()
    STOP('The address book could not be opened: ' & ERROR())
  END

SaveSettings PROCEDURE
  CODE
  PUTINI('Files', 'DataFile', DataFile, 'Contacts.ini')
  CLOSE(Contacts)
