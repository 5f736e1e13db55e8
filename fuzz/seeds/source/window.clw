  MEMBER('INVOICE.CLW')

  INCLUDE('KEYCODES.CLW')

UpdateCustomer PROCEDURE

Window WINDOW('Update Customer'),AT(,,260,140),FONT('MS Sans Serif',8,,FONT:regular),CENTER, |
         ICON('CUSTOMER.ICO'),HLP('~UpdateCustomer'),SYSTEM,GRAY,DOUBLE,MDI
       SHEET,AT(4,4,252,112),USE(?CurrentTab)
         TAB('&General'),USE(?Tab:1)
           PROMPT('&Name:'),AT(8,20),USE(?CUS:Name:Prompt)
           ENTRY(@s40),AT(61,20,124,10),USE(CUS:Name),MSG('Name of the customer'),TIP('Name')
           PROMPT('Amount &Due:'),AT(8,34),USE(?CUS:Due:Prompt)
           ENTRY(@n-14.2),AT(61,34,60,10),USE(CUS:Due),RIGHT(1)
           CHECK('Send ~reminders~ by mail'),AT(8,48),USE(CUS:Remind)
         END
       END
       BUTTON('&OK'),AT(150,120,45,14),USE(?OK),DEFAULT
       BUTTON('Cancel'),AT(200,120,45,14),USE(?Cancel)
       IMAGE('LOGO.BMP'),AT(4,120),USE(?Logo)
     END

  CODE
  OPEN(Window)
  INIMgr.Fetch('UpdateCustomer',Window)
  Access:Customer.UseFile()
  CUS:Filter = 'CUS:Due > 0'
  Customers.SetFilter('CUS:Due > 0','1')
  Relate:Customer.AddKey(CUS:NameKey,'Name')
  Greeting = GETINI('Settings','Greeting','Hello','.\INVOICE.INI')
  PUTINI('Settings','LastRun',TODAY(),'.\INVOICE.INI')
  ACCEPT
    CASE ACCEPTED()
    OF ?OK
      IF CUS:Name = ''
        MESSAGE('Please enter the customer''s name.','Missing name',ICON:Exclamation)
        SELECT(?CUS:Name)
        CYCLE
      END
      IF MESSAGE('Save the changes to ' & CLIP(CUS:Name) & '?','Confirm',ICON:Question, |
                 BUTTON:Yes+BUTTON:No) = BUTTON:Yes
        Access:Customer.Update()
      END
      BREAK
    OF ?Cancel
      BREAK                                 ! 'Leave without saving'
    END
  END
  CLOSE(Window)
