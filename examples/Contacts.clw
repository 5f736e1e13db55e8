   PROGRAM

!  Contacts: a small address book for the office. The main program declares
!  the data file, reads the user's settings and opens the application frame.

   INCLUDE('ABERROR.INC'),ONCE
   INCLUDE('ABFILE.INC'),ONCE
   INCLUDE('ABUTIL.INC'),ONCE
   INCLUDE('EQUATES.CLW'),ONCE

   MAP
     MODULE('Contacts_Browse.clw')
BrowseContacts PROCEDURE
     END
     MODULE('Contacts_Form.clw')
UpdateContact  PROCEDURE
     END
     MODULE('Contacts_Setup.clw')
LoadSettings   PROCEDURE
SaveSettings   PROCEDURE
     END
Main           PROCEDURE
   END

DataFile       CSTRING(256)                  ! the data file's name, from the INI file
GlobalRequest  BYTE                          ! what the form is asked to do
GlobalErrors   ErrorClass
INIMgr         INIClass
Access:Contacts &FileManager

Contacts       FILE,DRIVER('TOPSPEED'),NAME('Contacts.tps'),PRE(CON),CREATE,BINDABLE,THREAD
NameKey          KEY(CON:LastName,CON:FirstName),DUP,NOCASE
CityKey          KEY(CON:City),DUP,NOCASE
Record           RECORD,PRE()
LastName           STRING(40)
FirstName          STRING(30)
Company            STRING(40)
Street             STRING(40)
City               STRING(30)
Phone              STRING(20)
Email              STRING(60)
Born               LONG
Discount           DECIMAL(5,2)
Active             BYTE
                 END
               END

  CODE
  GlobalErrors.Init
  INIMgr.Init('Contacts.ini', NVD_INI)
  LoadSettings()
  Access:Contacts &= NEW FileManager
  Access:Contacts.Init(Contacts, GlobalErrors)
  Access:Contacts.AddKey(CON:NameKey, 'Name order', 0)
  Access:Contacts.AddKey(CON:CityKey, 'City order', 0)
  Main()
  SaveSettings()
  INIMgr.Kill
  GlobalErrors.Kill

Main PROCEDURE

AppFrame APPLICATION('Contacts'),AT(,,400,240),FONT('Segoe UI',9,,FONT:regular),RESIZE,CENTER, |
           ICON('CONTACTS.ICO'),MAX,STATUS(-1,80),SYSTEM,IMM, |
           WALLPAPER('CONTACTS.JPG'),TILED
       MENUBAR,USE(?Menubar)
         MENU('&File'),USE(?FileMenu)
           ITEM('&Print Setup...'),USE(?PrintSetup),MSG('Choose a printer'),STD(STD:PrintSetup)
           ITEM,SEPARATOR
           ITEM('E&xit<9>Alt+F4'),USE(?Exit),MSG('Leave Contacts')
         END
         MENU('&Contacts'),USE(?ContactsMenu)
           ITEM('&Browse Contacts'),USE(?BrowseContacts),MSG('List, add and change contacts')
         END
         MENU('&Help'),USE(?HelpMenu)
           ITEM('&Contents'),USE(?HelpContents),STD(STD:HelpIndex)
           ITEM('&About Contacts...'),USE(?About)
         END
       END
       TOOLBAR,AT(0,0,400,20),USE(?Toolbar)
         BUTTON,AT(4,2,16,16),USE(?BrowseButton),TIP('Browse Contacts'),ICON('BROWSE.ICO')
       END
     END

  CODE
  OPEN(AppFrame)
  INIMgr.Fetch('Main', AppFrame)
  AppFrame{PROP:StatusText,2} = FORMAT(TODAY(), @D6)
  ACCEPT
    CASE ACCEPTED()
    OF ?BrowseContacts
    OROF ?BrowseButton
      START(BrowseContacts, 25000)
    OF ?About
      MESSAGE('Contacts 1.2|An address book for the whole office.', |
              'About Contacts', ICON:Asterisk)
    OF ?Exit
      ! Other threads may still hold a changed record: ask before leaving
      IF MESSAGE('Do you want to leave Contacts? ' &|
                 'Changes you have not saved will be lost.', |
                 'Leave Contacts', ICON:Question, BUTTON:Yes+BUTTON:No, BUTTON:No) = BUTTON:Yes
        BREAK
      END
    END
  END
  INIMgr.Update('Main', AppFrame)
  CLOSE(AppFrame)
