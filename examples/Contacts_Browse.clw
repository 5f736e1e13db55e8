   MEMBER('Contacts.clw')

!  The list of contacts, optionally only those of one city, with buttons to
!  add, change and delete a contact.

BrowseContacts PROCEDURE

ContactQueue   QUEUE,PRE(CQ)
FullName         STRING(72)
City             STRING(30)
Phone            STRING(20)
Position         STRING(512)
               END
FilterCity     STRING(30)

Window WINDOW('Browse Contacts'),AT(,,360,220),FONT('Segoe UI',9),RESIZE,GRAY,MDI, |
         HLP('~BrowseContacts'),SYSTEM
       PROMPT('&Show only city:'),AT(8,8),USE(?FilterCity:Prompt)
       ENTRY(@s30),AT(70,8,100,10),USE(FilterCity),TIP('Leave empty to show every city')
       BUTTON('&Apply'),AT(176,6,40,14),USE(?Apply)
       LIST,AT(8,26,344,160),USE(?ContactList),FROM(ContactQueue),HVSCROLL, |
         FORMAT('120L(2)|M~Name~@s72@80L(2)|M~City~@s30@80L(2)|M~Phone~@s20@')
       BUTTON('&Insert'),AT(8,194,48,14),USE(?Insert),KEY(InsertKey)
       BUTTON('&Change'),AT(60,194,48,14),USE(?Change),KEY(CtrlEnter),DEFAULT
       BUTTON('&Delete'),AT(112,194,48,14),USE(?Delete),KEY(DeleteKey)
       BUTTON('Close'),AT(304,194,48,14),USE(?Close),ICON(ICON:Cross)
     END

  CODE
  OPEN(Window)
  INIMgr.Fetch('BrowseContacts', Window)
  FilterCity = GETINI('Browse', 'City', '', 'Contacts.ini')
  DO FillList
  ACCEPT
    CASE ACCEPTED()
    OF ?Apply
      DO FillList
    OF ?Insert
      GlobalRequest = InsertRecord
      UpdateContact()
      DO FillList
    OF ?Change
      GET(ContactQueue, CHOICE(?ContactList))
      REGET(Contacts, CQ:Position)
      GlobalRequest = ChangeRecord
      UpdateContact()
      DO FillList
    OF ?Delete
      GET(ContactQueue, CHOICE(?ContactList))
      CASE MESSAGE('Delete ' & CLIP(CQ:FullName) & ' from the address book?', |
                   'Delete Contact', ICON:Question, BUTTON:Yes+BUTTON:No, BUTTON:No)
      OF BUTTON:Yes
        REGET(Contacts, CQ:Position)
        DELETE(Contacts)
        DO FillList
      END
    OF ?Close
      BREAK
    END
  END
  PUTINI('Browse', 'City', FilterCity, 'Contacts.ini')
  INIMgr.Update('BrowseContacts', Window)
  CLOSE(Window)

FillList ROUTINE
  FREE(ContactQueue)
  SET(CON:NameKey)
  LOOP
    NEXT(Contacts)
    IF ERRORCODE() THEN BREAK.
    IF FilterCity AND UPPER(CLIP(CON:City)) <> UPPER(CLIP(FilterCity)) THEN CYCLE.
    CQ:FullName = CLIP(CON:LastName) & ', ' & CON:FirstName
    CQ:City = CON:City
    CQ:Phone = CON:Phone
    CQ:Position = POSITION(Contacts)
    ADD(ContactQueue)
  END
  IF NOT RECORDS(ContactQueue)
    MESSAGE('No contacts found.', 'Browse Contacts')
  END
  DISPLAY
