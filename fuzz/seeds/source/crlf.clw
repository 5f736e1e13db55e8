  MESSAGE('Line ends in CR LF')
  MESSAGE('Second line')
  Text = 'Stray CRinside'
  MESSAGE('Continued ' &|
          'over CR LF lines')
  MESSAGE('Marker then CR' &|
  MESSAGE('Before the end')  MESSAGE('After the end')
