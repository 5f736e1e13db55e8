   MEMBER('Contacts.clw')

!  The form that adds a contact or changes one. The record to change is
!  already in the record buffer when the browse calls it.

UpdateContact PROCEDURE

ActionText     STRING(20)

Window WINDOW('Update Contact'),AT(,,260,200),FONT('Segoe UI',9,,FONT:regular),GRAY,DOUBLE,MDI, |
         HLP('~UpdateContact'),SYSTEM,ICON('CONTACT.ICO')
       SHEET,AT(4,4,252,170),USE(?Sheet)
         TAB('&General'),USE(?GeneralTab)
           PROMPT('&Last name:'),AT(10,24),USE(?CON:LastName:Prompt)
           ENTRY(@s40),AT(70,24,120,10),USE(CON:LastName),REQ,CAP
           PROMPT('&First name:'),AT(10,38),USE(?CON:FirstName:Prompt)
           ENTRY(@s30),AT(70,38,120,10),USE(CON:FirstName),CAP
           PROMPT('C&ompany:'),AT(10,52),USE(?CON:Company:Prompt)
           ENTRY(@s40),AT(70,52,120,10),USE(CON:Company)
           PROMPT('&Born:'),AT(10,66),USE(?CON:Born:Prompt)
           ENTRY(@D6),AT(70,66,60,10),USE(CON:Born),TIP('Date of birth, as dd/mm/yyyy')
           PROMPT('D&iscount in %:'),AT(10,80),USE(?CON:Discount:Prompt)
           ENTRY(@n6.2),AT(70,80,40,10),USE(CON:Discount),RIGHT
           CHECK('&Active'),AT(70,94),USE(CON:Active),VALUE('1','0')
         END
         TAB('&Address'),USE(?AddressTab)
           PROMPT('&Street:'),AT(10,24),USE(?CON:Street:Prompt)
           ENTRY(@s40),AT(70,24,120,10),USE(CON:Street)
           PROMPT('&City:'),AT(10,38),USE(?CON:City:Prompt)
           ENTRY(@s30),AT(70,38,120,10),USE(CON:City)
           PROMPT('&Phone:'),AT(10,52),USE(?CON:Phone:Prompt)
           ENTRY(@P(###) ###-####P),AT(70,52,80,10),USE(CON:Phone)
           PROMPT('&E-mail:'),AT(10,66),USE(?CON:Email:Prompt)
           ENTRY(@s60),AT(70,66,180,10),USE(CON:Email)
         END
       END
       STRING(@s20),AT(8,182),USE(ActionText),FONT(,,COLOR:Navy,FONT:bold)
       BUTTON('&OK'),AT(150,180,50,14),USE(?OK),DEFAULT
       BUTTON('&Cancel'),AT(206,180,50,14),USE(?Cancel)
     END

  CODE
  CASE GlobalRequest
  OF InsertRecord
    ActionText = 'Adding a contact'     ! shown at the bottom left of the form
    CLEAR(CON:Record)                    ! a new contact starts with 'empty' fields
    CON:Active = 1
  OF ChangeRecord
    ActionText = 'Changing a contact'
  END
  OPEN(Window)
  INIMgr.Fetch('UpdateContact', Window)
  0{PROP:Text} = CHOOSE(GlobalRequest = InsertRecord, 'New Contact', 'Update Contact')
  ?CON:Born{PROP:Text} = '@D17'          ! the user's regional date format
  ACCEPT
    CASE ACCEPTED()
    OF ?OK
      IF CON:LastName = ''
        MESSAGE('Please enter the contact''s last name.', 'Update Contact', ICON:Exclamation)
        SELECT(?CON:LastName)
        CYCLE
      END
      IF CON:Email AND NOT INSTRING('@', CON:Email, 1, 1)
        MESSAGE('This e-mail address has no @ in it.', 'Update Contact', ICON:Exclamation)
        SELECT(?CON:Email)
        CYCLE
      END
      IF GlobalRequest = InsertRecord
        ADD(Contacts)
      ELSIF Access:Contacts.TryUpdate() <> Level:Benign
        IF MESSAGE('This contact has been changed on another workstation. ' &|
                   'Do you want to overwrite those changes with yours, ' &|
                   'or cancel and keep them?', 'Record Changed', |
                   ICON:Question, BUTTON:Yes+BUTTON:Cancel, BUTTON:Cancel) = BUTTON:Cancel
          CYCLE
        END
        PUT(Contacts)
      END
      IF ERRORCODE()
        MESSAGE('The contact could not be saved: ' & ERROR(), 'Update Contact', ICON:Hand)
        CYCLE
      END
      BREAK
    OF ?Cancel
      BREAK
    END
  END
  INIMgr.Update('UpdateContact', Window)
  CLOSE(Window)
