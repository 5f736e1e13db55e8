  PROGRAM

  MAP
  END

Customer FILE,DRIVER('TOPSPEED'),NAME('CUSTOMER.TPS'),PRE(CUS),CREATE
NameKey    KEY(CUS:Name),DUP,NOCASE
Record     RECORD
Name         STRING(40)
           END
         END

  CODE
  MESSAGE('The file could not be opened.<13,10>Error: ' & ERROR(),'Error',ICON:Hand)
  MESSAGE('Please wait while the ' &|
          'file is copied.')
  MESSAGE('Value: ' &|
          CLIP(Name) & ' units')
  MESSAGE('Copying records ' &|
          'from one file ' &|
          'to another.')
  MESSAGE('Done: 100%')
  message('Lower case call<9>with<9>tabs')
	MESSAGE('Indented by a tab')
MESSAGE('In the first column')
  Status = 'Ready'
  Status = 'A1'
  Status = 'x'
  Status = '42'
  Status = '~Resource.ico'
  Status = 'Open ~file'
  Status = 'A~bc~d~ef~g'
  Status = 'Close~'
  Status = 'Ab~~Cd'
  Status = 'It''s done'
  Status = 'Say "hi"'
  Status = 'Name<13>Address'
  Status = 'Short ' &|
  Status = 'Unclosed literal
  Status = 'Gr' & CHR(252) & 'n'
